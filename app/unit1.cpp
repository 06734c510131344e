#include "app/unit1.h"

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/work_progress.h"
#include "merge/table_commands.h"
#include "platform/codepage.h"
#include "platform/directory.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace app {

namespace {

const QString kCaptionNext = QStringLiteral("Далее");
const QString kCaptionCollect = QStringLiteral("Собрать");
const QString kCaptionSave = QStringLiteral("Сохранить");

enum Page { kPageFiles = 0, kPageSettings = 1, kPageTable = 2, kPageSave = 3, kPageAbout = 4 };

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
  Panel1->setFixedHeight(41);
  Panel1->setAutoFillBackground(true);
  QPalette white = Panel1->palette();
  white.setColor(QPalette::Window, Qt::white);
  white.setColor(QPalette::WindowText, Qt::black);
  Panel1->setPalette(white);
  Label1 = new QLabel(QStringLiteral("Собрать CSV файлы в один"), Panel1);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->move(8, 8);
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
  Panel3->setFixedHeight(41);
  auto* buttons = new QHBoxLayout(Panel3);
  buttons->setContentsMargins(16, 8, 11, 8);
  Button1 = new QPushButton(kCaptionNext, Panel3);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setMinimumSize(75, 25);
  Button3 = new QPushButton(QStringLiteral("Выход"), Panel3);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button3->setMinimumSize(75, 25);
  buttons->addWidget(Button1);
  buttons->addStretch(1);
  buttons->addWidget(Button3, 0, Qt::AlignBottom);
  connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(Button3, &QPushButton::clicked, this, &TForm1::Button3Click);
  layout->addWidget(Panel3);
}

namespace {

// The designed layout counts on a font 13 pixels per line.
constexpr double kDesignedLineHeight = 13.0;

// Puts a widget at its designed place. With a taller font than designed,
// places and heights grow in proportion, so that the widgets stay apart; a
// widget whose text needs more room gets it.
template <typename W>
W* Place(W* widget, const char* name, int x, int y, int width = 0, int height = 0) {
  widget->setObjectName(QString::fromLatin1(name));
  const double scale = std::max(1.0, QFontMetrics(widget->font()).height() / kDesignedLineHeight);
  const QSize hint = widget->sizeHint();
  widget->setGeometry(x, qRound(y * scale), std::max(width, hint.width()),
                      std::max(qRound(height * scale), hint.height()));
  return widget;
}

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
  CheckBox1 = Place(TickBox(QStringLiteral("Добавить имя файла "), true, page), "CheckBox1", 16, 24,
                    241, 17);
  CheckBox2 =
      Place(TickBox(QStringLiteral("Только имя файла"), true, page), "CheckBox2", 32, 48, 153, 17);
  ComboBox1 = new QComboBox(page);
  ComboBox1->addItems(
      {QStringLiteral("Собрать по вертикали "), QStringLiteral("Собрать по горизонтали ")});
  ComboBox1->setCurrentIndex(1);
  Place(ComboBox1, "ComboBox1", 32, 80, 273, 21);
  Edit2 = Place(DelimiterBox(page), "Edit2", 32, 120, 145, 21);
  CheckBox6 = Place(TickBox(QStringLiteral("Убрать первые строки"), false, page), "CheckBox6", 32,
                    152, 289, 17);
  Edit3 = Place(new QLineEdit(QStringLiteral("4"), page), "Edit3", 48, 176, 121, 21);
  Label9 = Place(new QLabel(QStringLiteral("Разделитель"), page), "Label9", 32, 104);
}

void TForm1::BuildTablePage() {
  grid_model_ = new GridModel(*table_);
  StringGrid1 = new GridView(TabSheet3);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->SetGridModel(grid_model_);
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
  Edit1 = Place(new QLineEdit(QStringLiteral("1.csv"), page), "Edit1", 32, 48, 361, 21);
  Button2 = Place(new QPushButton(QStringLiteral("Сохранить"), page), "Button2", 32, 72, 75, 25);
  Button4 = Place(new QPushButton(QStringLiteral("Выбрать"), page), "Button4", 320, 72, 75, 25);
  CheckBox3 = Place(TickBox(QStringLiteral("Открыть файл после сохранения"), true, page),
                    "CheckBox3", 32, 104, 289, 33);
  CheckBox4 = Place(TickBox(QStringLiteral("Использовать UTF8"), false, page), "CheckBox4", 32, 136,
                    193, 17);
  ComboBox2 = Place(DelimiterBox(page), "ComboBox2", 32, 168, 145, 21);
  CheckBox5 =
      Place(TickBox(QStringLiteral("Экранировать разделитель при сохранении "), false, page),
            "CheckBox5", 200, 160, 345, 17);
  Label2 = Place(new QLabel(QStringLiteral("Файл для сохранения"), page), "Label2", 24, 24);
  Label10 =
      Place(new QLabel(QStringLiteral("Разделитель при сохранении "), page), "Label10", 32, 152);
  Label11 = Place(new QLabel(QStringLiteral("если в ячейки встречается знак разделителя ячеек то  "
                                            "\nзаменяем его на #<код символа>"),
                             page),
                  "Label11", 200, 176, 284, 26);
  connect(Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
  connect(Button4, &QPushButton::clicked, this, &TForm1::Button4Click);
}

void TForm1::BuildAboutPage() {
  QWidget* page = TabSheet5;
  Label8 = Place(new QLabel(QStringLiteral("Программа для сборки CSV файлов в один "), page),
                 "Label8", 16, 16);
  Label3 = Place(new QLabel(QStringLiteral("Автор"), page), "Label3", 16, 40);
  Label4 = Place(new QLabel(QStringLiteral("Иван Петрович Сидоров"), page), "Label4", 40, 56);
  Label5 = Place(new QLabel(QStringLiteral("ICQ 123-456-789"), page), "Label5", 40, 72);
  Label6 = Place(new QLabel(QStringLiteral("E-mail: kleitab@example.org"), page), "Label6", 40, 88);
  Label7 = Place(new QLabel(QStringLiteral("Тел. +7 (000) 000-00-00"), page), "Label7", 40, 104);
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

void TForm1::FormCreate() {
  start_directory_ = QString::fromStdString(platform::CurrentDirectory());
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
  return options;
}

template <typename Driver> void TForm1::RunCollect(Driver driver) {
  const merge::CollectOptions options = ReadCollectOptions();
  WorkProgress progress(this);
  merge::BulkChange bulk(*table_);
  driver(
      *table_, *FilePage1, options, [this] { Button1->setText(kCaptionSave); }, &progress);
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
