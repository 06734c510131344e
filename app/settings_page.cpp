// TForm1's page "Настройка": how the source files are read.

#include "app/page_column.h"
#include "app/page_widgets.h"
#include "app/unit1.h"
#include "settings/choice_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace app {

void TForm1::BuildSettingsPage() {
  // The options on the left; the preview beside them (BuildPreview).
  QWidget* page = new QWidget(TabSheet2);
  page->setObjectName(QStringLiteral("SettingsOptions1"));
  // Created in tab order.
  CheckBox1 = Named(TickBox(QStringLiteral("Добавить имя файла "), true, page), "CheckBox1", 241);
  CheckBox2 = Named(TickBox(QStringLiteral("Только имя файла"), true, page), "CheckBox2", 153);
  ComboBox1 = Named(new QComboBox(page), "ComboBox1", 273);
  ComboBox1->addItems(
      {QString::fromUtf16(settings::kStackedItem), QString::fromUtf16(settings::kSideBySideItem)});
  ComboBox1->setCurrentIndex(1);
  Edit2 = Named(DelimiterBox(page), "Edit2", 145);
  CheckBox6 = Named(TickBox(QStringLiteral("Убрать первые строки"), false, page), "CheckBox6", 289);
  Edit3 = Named(new QLineEdit(QStringLiteral("4"), page), "Edit3", 121);
  Label9 = Named(new QLabel(QStringLiteral("Разделитель"), page), "Label9");
  Label12 = Named(new QLabel(QStringLiteral("Кодировка файлов"), page), "Label12");
  ComboBox3 = Named(new QComboBox(page), "ComboBox3", 233);
  ComboBox3->addItems(
      {QString::fromUtf16(settings::kCp1251Item), QString::fromUtf16(settings::kUtf8Item),
       QString::fromUtf16(settings::kDetectItem), QString::fromUtf16(settings::kUtf16LeItem),
       QString::fromUtf16(settings::kUtf16BeItem), QString::fromUtf16(settings::kCp866Item),
       QString::fromUtf16(settings::kKoi8rItem)});
  ComboBox3->setCurrentIndex(0);

  settings_rows_ = std::make_unique<PageColumn>(page, 16, 24);
  PageColumn& rows = *settings_rows_;
  // Beside it, the name column's caption and its place.
  Edit4 = Named(new QLineEdit(QStringLiteral("Имя файла"), page), "Edit4", 121);
  Edit4->setToolTip(QStringLiteral("Заголовок столбца с именем файла"));
  CheckBox12 = Named(TickBox(QStringLiteral("первым столбцом"), false, page), "CheckBox12", 153);
  rows.AddRow(0, 0, {CheckBox1, Edit4, CheckBox12});
  rows.AddRow(16, 7, {CheckBox2});
  rows.AddRow(16, 15, {ComboBox1});
  // The delimiter on the left; beside it, how the bytes of the source files
  // are read.
  QGridLayout* delimiter_block = rows.AddTwoColumnRow(16, 3, 152);
  delimiter_block->addWidget(Label9, 0, 0);
  delimiter_block->addWidget(Edit2, 1, 0, Qt::AlignLeft | Qt::AlignTop);
  delimiter_block->addWidget(Label12, 0, 1);
  delimiter_block->addWidget(ComboBox3, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  rows.AddRow(16, 11, {CheckBox6});
  rows.AddRow(32, 7, {Edit3});
  CheckBox7 = Named(TickBox(QStringLiteral("Учитывать кавычки"), false, page), "CheckBox7", 289);
  CheckBox8 =
      Named(TickBox(QStringLiteral("Первая строка — заголовок"), false, page), "CheckBox8", 289);
  CheckBox9 = Named(TickBox(QStringLiteral("Сопоставлять столбцы по заголовкам"), false, page),
                    "CheckBox9", 289);
  rows.AddRow(16, 11, {CheckBox7});
  rows.AddRow(16, 7, {CheckBox8});
  rows.AddRow(32, 7, {CheckBox9});
  connect(CheckBox8, &QCheckBox::toggled, this, &TForm1::UpdateMatchHeadersEnabled);
  connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm1::UpdateMatchHeadersEnabled);
  UpdateMatchHeadersEnabled();
  BuildPreview(page);
}

void TForm1::UpdateMatchHeadersEnabled() {
  CheckBox9->setEnabled(CheckBox8->isChecked() && ComboBox1->currentIndex() != 1);
}

} // namespace app
