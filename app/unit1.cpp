#include "app/unit1.h"

#include "app/encoding_notice.h"
#include "app/error_box.h"
#include "app/file_page.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/notice_box.h"
#include "app/page_column.h"
#include "app/status_line.h"
#include "app/status_texts.h"
#include "app/work_progress.h"
#include "merge/table_commands.h"
#include "platform/codepage.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/progress.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

namespace {

const QString kCaptionNext = QStringLiteral("Далее");
const QString kCaptionCollect = QStringLiteral("Собрать");
const QString kCaptionSave = QStringLiteral("Сохранить");

enum Page { kPageFiles = 0, kPageSettings = 1, kPageTable = 2, kPageSave = 3, kPageAbout = 4 };

// Names a widget after its layout name. The designed size stays its least
// size; a wider caption or a taller font makes it larger. (An explicit least
// size would otherwise let a layout squeeze the widget below its text.)
template <typename W>
W* Named(W* widget, const char* name, int designed_width = 0, int designed_height = 0) {
  widget->setObjectName(QString::fromLatin1(name));
  if (designed_width > 0 || designed_height > 0) {
    widget->ensurePolished();
    const QSize hint = widget->sizeHint();
    widget->setMinimumSize(std::max(designed_width, designed_width > 0 ? hint.width() : 0),
                           std::max(designed_height, designed_height > 0 ? hint.height() : 0));
  }
  return widget;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent), table_(std::make_unique<merge::ResultTable>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Клейтаб 1.10"));
  BuildStrips();
  BuildSettingsPage();
  BuildTablePage();
  BuildSavePage();
  BuildAboutPage();
  BindPageShortcuts();
  // The output, resolved as saving resolves it, is never ticked for collecting.
  FilePage1->SetOutputName([this] { return QFile::encodeName(Edit1->text()).toStdString(); });
  move(190, 144);
  resize(634, 465);
  Guard([this] { FormCreate(); });
}

TForm1::~TForm1() {
  // The view goes before the table it shows.
  delete StringGrid1;
  StringGrid1 = nullptr;
  delete grid_model_;
  grid_model_ = nullptr;
}

void TForm1::BuildStrips() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  Panel1->setAutoFillBackground(true);
  QPalette white = Panel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  Panel1->setPalette(white);
  Label1 = new QLabel(QStringLiteral("Собрать CSV файлы в один"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  auto* heading = new QHBoxLayout(Panel1);
  heading->setContentsMargins(8, 8, 8, 8);
  heading->addWidget(Label1, 0, Qt::AlignLeft | Qt::AlignTop);
  heading->addStrut(41 - 16); // 41 high at the least, taller with a taller font
  layout->addWidget(Panel1);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  const QString sheet_names[] = {QStringLiteral("TabSheet1"), QStringLiteral("TabSheet2"),
                                 QStringLiteral("TabSheet3"), QStringLiteral("TabSheet4"),
                                 QStringLiteral("TabSheet5")};
  const QString captions[] = {QStringLiteral("Выбрать файлы"), QStringLiteral("Настройка"),
                              QStringLiteral("Искомая таблица"), QStringLiteral("Сохранить"),
                              QStringLiteral("О программе")};
  QWidget** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5};
  for (int i = 0; i < 5; ++i) {
    *sheets[i] = new QWidget(PageControl1);
    (*sheets[i])->setObjectName(sheet_names[i]);
    PageControl1->addTab(*sheets[i], captions[i]);
  }
  // The first page: the file list and the check list of candidate files.
  FilePage1 = new FilePage(TabSheet1);
  FilePage1->setObjectName(QStringLiteral("FilePage1"));
  auto* files_layout = new QVBoxLayout(TabSheet1);
  files_layout->setContentsMargins(0, 0, 0, 0);
  files_layout->addWidget(FilePage1);
  PageControl1->setCurrentIndex(kPageFiles);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::UserPageChanged);
  layout->addWidget(PageControl1, 1);

  Panel3 = new QFrame(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* buttons = new QHBoxLayout(Panel3);
  buttons->setContentsMargins(16, 8, 11, 8);
  Button1 = Named(new QPushButton(kCaptionNext, Panel3), "Button1", 75, 25);
  Button3 = Named(new QPushButton(QStringLiteral("Выход"), Panel3), "Button3", 75, 25);
  buttons->addWidget(Button1);
  buttons->addStretch(1);
  buttons->addWidget(Button3, 0, Qt::AlignBottom);
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  layout->addWidget(Panel3);

  StatusBar1 = new StatusLine(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  layout->addWidget(StatusBar1);
}

void TForm1::ShowTableSize() {
  StatusBar1->showMessage(TableSizeText(table_->RowCount(), table_->ColCount()));
}

namespace {

QStringList DelimiterItems() {
  return {QStringLiteral(";"), QStringLiteral(","),
          QStringLiteral(":"), QStringLiteral("        (Tab)"),
          QStringLiteral("}"), QStringLiteral("{"),
          QStringLiteral(")"), QStringLiteral("("),
          QStringLiteral("|")};
}

QComboBox* DelimiterBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  // What is typed is what counts: no completion, no new items on Enter.
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(DelimiterItems());
  box->setCurrentIndex(1);
  return box;
}

QCheckBox* TickBox(const QString& caption, bool ticked, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setChecked(ticked);
  return box;
}

} // namespace

void TForm1::BuildSettingsPage() {
  QWidget* page = TabSheet2;
  // Created in tab order.
  CheckBox1 = Named(TickBox(QStringLiteral("Добавить имя файла "), true, page), "CheckBox1", 241);
  CheckBox2 = Named(TickBox(QStringLiteral("Только имя файла"), true, page), "CheckBox2", 153);
  ComboBox1 = Named(new QComboBox(page), "ComboBox1", 273);
  ComboBox1->addItems(
      {QStringLiteral("Собрать по вертикали "), QStringLiteral("Собрать по горизонтали ")});
  ComboBox1->setCurrentIndex(1);
  Edit2 = Named(DelimiterBox(page), "Edit2", 145);
  CheckBox6 = Named(TickBox(QStringLiteral("Убрать первые строки"), false, page), "CheckBox6", 289);
  Edit3 = Named(new QLineEdit(QStringLiteral("4"), page), "Edit3", 121);
  Label9 = Named(new QLabel(QStringLiteral("Разделитель"), page), "Label9");
  Label12 = Named(new QLabel(QStringLiteral("Кодировка файлов"), page), "Label12");
  ComboBox3 = Named(new QComboBox(page), "ComboBox3", 233);
  ComboBox3->addItems({QStringLiteral("Windows-1251"), QStringLiteral("UTF-8"),
                       QStringLiteral("Определять для каждого файла")});
  ComboBox3->setCurrentIndex(0);

  settings_rows_ = std::make_unique<PageColumn>(page, 16, 24);
  PageColumn& rows = *settings_rows_;
  rows.AddRow(0, 0, {CheckBox1});
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
}

void TForm1::UpdateMatchHeadersEnabled() {
  CheckBox9->setEnabled(CheckBox8->isChecked() && ComboBox1->currentIndex() != 1);
}

void TForm1::UpdateEscapeEnabled() {
  CheckBox5->setEnabled(!CheckBox10->isChecked());
  Label11->setEnabled(!CheckBox10->isChecked());
}

void TForm1::BuildTablePage() {
  grid_model_ = new GridModel(*table_);
  StringGrid1 = new GridView(TabSheet3);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->SetGridModel(grid_model_);
  // Every change of the table, a collect's or an edit's, shows its new size.
  const auto show_size = [this] { ShowTableSize(); };
  connect(grid_model_, &QAbstractItemModel::modelReset, this, show_size);
  connect(grid_model_, &QAbstractItemModel::dataChanged, this, show_size);
  connect(grid_model_, &QAbstractItemModel::headerDataChanged, this, show_size);
  connect(grid_model_, &QAbstractItemModel::rowsInserted, this, show_size);
  connect(grid_model_, &QAbstractItemModel::rowsRemoved, this, show_size);
  connect(grid_model_, &QAbstractItemModel::columnsInserted, this, show_size);
  connect(grid_model_, &QAbstractItemModel::columnsRemoved, this, show_size);
  StringGrid1->setCurrentIndex(grid_model_->index(0, 0));
  auto* layout = new QVBoxLayout(TabSheet3);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StringGrid1);

  PopupMenu2 = new QMenu(StringGrid1);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  const auto add_item = [this](const char* name, const QString& caption, void (TForm1::*slot)()) {
    QAction* action = PopupMenu2->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  N4 = add_item("N4", QStringLiteral("Удалить пустые строки "), &TForm1::N4Click);
  N5 = add_item("N5", QStringLiteral("Очистить"), &TForm1::N5Click);
  N6 = add_item("N6", QStringLiteral("Собрать повторно"), &TForm1::N6Click);
  N7 = add_item("N7", QStringLiteral("Добавить"), &TForm1::N7Click);
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu2->popup(StringGrid1->viewport()->mapToGlobal(pos));
  });
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

void TForm1::BuildAboutPage() {
  QWidget* page = TabSheet5;
  Label8 =
      Named(new QLabel(QStringLiteral("Программа для сборки CSV файлов в один "), page), "Label8");
  Label3 = Named(new QLabel(QStringLiteral("Автор"), page), "Label3");
  Label4 = Named(new QLabel(QStringLiteral("Иван Петрович Сидоров"), page), "Label4");
  Label5 = Named(new QLabel(QStringLiteral("ICQ 123-456-789"), page), "Label5");
  Label6 = Named(new QLabel(QStringLiteral("E-mail: kleitab@example.org"), page), "Label6");
  Label7 = Named(new QLabel(QStringLiteral("Тел. +7 (000) 000-00-00"), page), "Label7");
  about_rows_ = std::make_unique<PageColumn>(page, 16, 16);
  about_rows_->AddRow(0, 0, {Label8});
  about_rows_->AddRow(0, 11, {Label3});
  for (QLabel* line : {Label4, Label5, Label6, Label7})
    about_rows_->AddRow(24, 3, {line});
}

void TForm1::BindPageShortcuts() {
  // Ctrl+Tab and Ctrl+Shift+Tab turn the pages from any widget inside the
  // notebook, wrapping at both ends, like a click on a tab.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), PageControl1);
  next->setContext(Qt::WidgetWithChildrenShortcut);
  connect(next, &QShortcut::activated, this, [this] { StepPage(1); });
  auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), PageControl1);
  previous->setContext(Qt::WidgetWithChildrenShortcut);
  connect(previous, &QShortcut::activated, this, [this] { StepPage(-1); });
}

void TForm1::StepPage(int step) {
  const int count = PageControl1->count();
  PageControl1->setCurrentIndex((PageControl1->currentIndex() + step + count) % count);
}

void TForm1::SetActivePage(int index) {
  setting_page_ = true;
  PageControl1->setCurrentIndex(index);
  setting_page_ = false;
}

void TForm1::UserPageChanged(int) {
  // Pages set from code change nothing else.
  if (!setting_page_)
    PageControl1Change();
}

const char* const TForm1::kStartDirectoryGone =
    "The directory the program was started in no longer exists; settings are not stored";

void TForm1::FormCreate() {
  try {
    start_directory_ = platform::CurrentDirectory();
  } catch (const platform::FileError&) {
    // Started in a directory removed meanwhile: no settings are read, and
    // none are stored in its place elsewhere.
    throw platform::Error(kStartDirectoryGone);
  }
  LoadSettings();
  // The settings stored in init.ini in the start directory are applied here.
}

merge::CollectOptions TForm1::ReadCollectOptions() const {
  merge::CollectOptions options;
  options.delimiter_text = platform::Utf16ToCp1251(Edit2->currentText().toStdU16String());
  options.add_file_name = CheckBox1->isChecked();
  options.name_only = CheckBox2->isChecked();
  options.side_by_side = ComboBox1->currentIndex() == 1;
  if (CheckBox6->isChecked())
    options.skip_count =
        merge::ParseSkipCount(platform::Utf16ToCp1251(Edit3->text().toStdU16String()));
  const merge::SourceEncoding encodings[] = {
      merge::SourceEncoding::kCp1251, merge::SourceEncoding::kUtf8, merge::SourceEncoding::kDetect};
  const int item = ComboBox3->currentIndex();
  options.source_encoding = item >= 0 && item < 3 ? encodings[item] : encodings[0];
  options.quotes = CheckBox7->isChecked();
  options.header = CheckBox8->isChecked();
  options.match_headers = options.header && !options.side_by_side && CheckBox9->isChecked();
  return options;
}

template <typename Driver> void TForm1::RunCollect(Driver driver) {
  merge::CollectOptions options = ReadCollectOptions();
  merge::EncodingReport report;
  options.encoding_report = &report;
  merge::CollectSummary summary;
  {
    WorkProgress progress(this);
    try {
      merge::BulkChange bulk(*table_);
      summary = driver(
          *table_, *FilePage1, options, [this] { Button1->setText(kCaptionSave); }, &progress);
    } catch (const platform::Cancelled&) {
      // What was read stays in the table: say that it is only part of the job.
      const std::int32_t started = progress.FilesStarted();
      StatusBar1->showMessage(CancelledText(std::max(started - 1, 0), progress.JobFiles(),
                                            started > 0 ? progress.FileName() : QString()));
      ShowButton1ForPage(); // the collect set "Сохранить" but the page stays
      throw;
    }
  }
  ShowTableSize();
  // Told once the work is done and the grid shows its result.
  if (!report.Empty())
    ShowNotice(CollectEncodingNotice(report));
  if (summary.files_with_open_quote > 0)
    ShowNotice(OpenQuoteNotice(summary.files_with_open_quote));
}

void TForm1::Button1Click() {
  Guard([this] {
    switch (PageControl1->currentIndex()) {
    case kPageFiles:
      SetActivePage(kPageSettings);
      Button1->setText(kCaptionCollect);
      break;
    case kPageSettings:
      RunCollect(&merge::CollectFiles);
      SetActivePage(kPageTable);
      break;
    case kPageTable:
      SetActivePage(kPageSave);
      ShowButton1ForPage();
      break;
    default:
      ShowButton1ForPage();
      break;
    }
  });
}

void TForm1::PageControl1Change() {
  Guard([this] { ShowButton1ForPage(); });
}

void TForm1::ShowButton1ForPage() {
  Button1->setVisible(true);
  switch (PageControl1->currentIndex()) {
  case kPageFiles:
    Button1->setText(kCaptionNext);
    break;
  case kPageSettings:
    Button1->setText(kCaptionCollect);
    break;
  case kPageTable:
    Button1->setText(kCaptionSave);
    break;
  case kPageSave:
    Button1->setVisible(false);
    break;
  default:
    break;
  }
}

void TForm1::Button3Click() {
  Guard([this] { close(); });
}

void TForm1::N4Click() {
  Guard([this] { merge::DeleteEmptyRows(*table_, CheckBox1->isChecked()); });
}

void TForm1::N5Click() {
  Guard([this] { merge::ClearTable(*table_); });
}

void TForm1::N6Click() {
  Guard([this] { RunCollect(&merge::N6Collect); });
}

void TForm1::N7Click() {
  Guard([this] { RunCollect(&merge::N7Collect); });
}

} // namespace app
