// TForm1's page "Сохранить": the output file and how it is written.

#include "app/page_column.h"
#include "app/page_widgets.h"
#include "app/unit1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace app {

void TForm1::UpdateEscapeEnabled() {
  CheckBox5->setEnabled(!CheckBox10->isChecked());
  Label11->setEnabled(!CheckBox10->isChecked());
}

void TForm1::BuildSavePage() {
  QWidget* page = TabSheet4;
  // Created in tab order.
  Edit1 = Named(new QLineEdit(QStringLiteral("1.csv"), page), "Edit1", 361);
  Button2 = Named(new QPushButton(QStringLiteral("Сохранить"), page), "Button2", 75, 25);
  Button4 = Named(new QPushButton(QStringLiteral("Выбрать"), page), "Button4", 75, 25);
  CheckBox3 =
      Named(TickBox(QStringLiteral("Открыть файл после сохранения"), true, page), "CheckBox3", 289);
  CheckBox4 = Named(TickBox(QStringLiteral("Использовать UTF8"), false, page), "CheckBox4", 193);
  ComboBox2 = Named(DelimiterBox(page), "ComboBox2", 145);
  // The mark means something only in a UTF-8 file.
  CheckBox11 = Named(TickBox(QStringLiteral("BOM"), false, page), "CheckBox11", 73);
  CheckBox11->setEnabled(false);
  connect(CheckBox4, &QCheckBox::toggled, CheckBox11, &QWidget::setEnabled);
  CheckBox5 =
      Named(TickBox(QStringLiteral("Экранировать разделитель при сохранении "), false, page),
            "CheckBox5", 345);
  Label2 = Named(new QLabel(QStringLiteral("Файл для сохранения"), page), "Label2");
  Label10 = Named(new QLabel(QStringLiteral("Разделитель при сохранении "), page), "Label10");
  Label11 = Named(new QLabel(QStringLiteral("если в ячейки встречается знак разделителя ячеек то  "
                                            "\nзаменяем его на #<код символа>"),
                             page),
                  "Label11", 284);
  CheckBox10 =
      Named(TickBox(QStringLiteral("Кавычки при сохранении"), false, page), "CheckBox10", 289);
  connect(CheckBox10, &QCheckBox::toggled, this, &TForm1::UpdateEscapeEnabled);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);

  save_rows_ = std::make_unique<PageColumn>(page, 24, 24);
  PageColumn& rows = *save_rows_;
  rows.AddRow(0, 0, {Label2});
  // The output name, with "Сохранить" under its left end and "Выбрать"
  // under its right end.
  auto* name_block = new QGridLayout;
  name_block->setHorizontalSpacing(rows.Scaled(8));
  name_block->setVerticalSpacing(rows.Scaled(3));
  name_block->addWidget(Edit1, 0, 0, 1, 2);
  name_block->addWidget(Button2, 1, 0, Qt::AlignLeft);
  name_block->addWidget(Button4, 1, 1, Qt::AlignRight);
  auto* name_row = new QHBoxLayout;
  name_row->addLayout(name_block);
  name_row->addStretch(1);
  rows.AddLayoutRow(8, 11, name_row);
  rows.AddRow(8, 7, {CheckBox3});
  utf8_row_ = rows.AddRow(8, 15, {CheckBox4});
  utf8_row_->addSpacing(rows.Scaled(16));
  utf8_row_->addWidget(CheckBox11);
  // The writing delimiter on the left, the escaping and its explanation on
  // the right.
  QGridLayout* delimiter_block = rows.AddTwoColumnRow(8, 4, 152);
  delimiter_block->addWidget(Label10, 0, 0);
  delimiter_block->addWidget(ComboBox2, 1, 0, Qt::AlignLeft | Qt::AlignTop);
  delimiter_block->addWidget(CheckBox5, 0, 1);
  delimiter_block->addWidget(Label11, 1, 1, Qt::AlignLeft | Qt::AlignTop);
  delimiter_block->addWidget(CheckBox10, 2, 1, Qt::AlignLeft | Qt::AlignTop);
}

} // namespace app
