// TForm1's frame: the heading and bottom strips, the notebook and the flow
// through its pages (one page table), the start and init.ini.

#include "app/unit1.h"

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/form_values.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/page_column.h"
#include "app/page_widgets.h"
#include "app/status_line.h"
#include "app/status_texts.h"
#include "platform/errors.h"
#include "platform/file_name_text.h"
#include "platform/working_directory.h"
#include "settings/settings_file.h"

#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <iterator>
#include <optional>

namespace app {

namespace {

// The notebook's pages in order: the sheet, its tab, and Button1 on it (no
// caption: the one shown stays).
struct PageRow {
  TForm1::Page page;
  const char* sheet;
  const char* tab;
  const char* button1_caption;
  bool button1_visible;
};
const PageRow kPages[] = {
    {TForm1::kPageFiles, "TabSheet1", "Выбрать файлы", "Далее", true},
    {TForm1::kPageSettings, "TabSheet2", "Настройка", "Собрать", true},
    {TForm1::kPageTable, "TabSheet3", "Искомая таблица", "Сохранить", true},
    {TForm1::kPageSave, "TabSheet4", "Сохранить", nullptr, false},
    {TForm1::kPageAbout, "TabSheet5", "О программе", nullptr, true},
};

} // namespace

QString TForm1::Button1Caption(Page page) {
  return QString::fromUtf8(kPages[page].button1_caption);
}

TForm1::TForm1(QWidget* parent) : QWidget(parent), table_(std::make_unique<merge::ResultTable>()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Клейтаб " KLEITAB_VERSION));
  BuildStrips();
  BuildSettingsPage();
  BuildTablePage();
  BuildSavePage();
  BuildAboutPage();
  BindPageShortcuts();
  // The output, resolved as saving resolves it, is never ticked for collecting.
  FilePage1->SetOutputName([this] { return platform::FileNameBytes(Edit1->text()); });
  move(190, 144);
  resize(634, 465);
  setAcceptDrops(true);
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
  QWidget** sheets[] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5};
  for (const PageRow& row : kPages) {
    QWidget*& sheet = *sheets[row.page];
    sheet = new QWidget(PageControl1);
    sheet->setObjectName(QString::fromLatin1(row.sheet));
    PageControl1->addTab(sheet, QString::fromUtf8(row.tab));
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
  Button1 = Named(new QPushButton(Button1Caption(kPageFiles), Panel3), "Button1", 75, 25);
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
    start_directory_ = platform::WorkingDirectory::Path();
  } catch (const platform::FileError&) {
    // Started in a directory removed meanwhile: no settings are read, and
    // none are stored in its place elsewhere.
    throw platform::Error(kStartDirectoryGone);
  }
  LoadSettings();
  // The settings stored in init.ini in the start directory are applied here.
}

std::string TForm1::SettingsFilePath() const {
  return settings::SettingsPath(start_directory_);
}

void TForm1::StoreSettings() {
  if (start_directory_.empty())
    throw platform::Error(kStartDirectoryGone);
  settings::StoreSettingsFile(SettingsFilePath(), SettingsValuesOf(*this));
}

void TForm1::LoadSettings() {
  const std::optional<settings::SettingsText> text = settings::ReadSettingsFile(SettingsFilePath());
  if (!text)
    return; // no file: every widget keeps its start value
  ShowSettingsValues(*this, text->Values());
}

void TForm1::Button1Click() {
  Guard([this] {
    switch (PageControl1->currentIndex()) {
    case kPageFiles:
      SetActivePage(kPageSettings);
      Button1->setText(Button1Caption(kPageSettings));
      return;
    case kPageSettings:
      if (!ConfirmReadingOptions())
        return;
      // The collect sets Button1's caption as it goes.
      RunCollect(&merge::CollectFiles,
                 merge::CollectClearsTable(*table_, *FilePage1, CollectOptionsOf(*this)));
      SetActivePage(kPageTable);
      return;
    case kPageTable:
      SetActivePage(kPageSave);
      break;
    default:
      break;
    }
    ShowButton1ForPage();
  });
}

void TForm1::PageControl1Change() {
  Guard([this] { ShowButton1ForPage(); });
}

void TForm1::ShowButton1ForPage() {
  const int index = PageControl1->currentIndex();
  if (index < 0 || index >= static_cast<int>(std::size(kPages)))
    return;
  const PageRow& row = kPages[index];
  Button1->setVisible(row.button1_visible);
  if (row.button1_caption)
    Button1->setText(QString::fromUtf8(row.button1_caption));
}

void TForm1::Button3Click() {
  Guard([this] { close(); });
}

} // namespace app
