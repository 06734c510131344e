#include "app/file_page.h"

#include "app/enter_key_filter.h"

#include "app/error_box.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/file_name_text.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace app {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
// A pane dragged to this size or less collapses to nothing.
constexpr int kCollapseAt = 30;
constexpr int kDesignedDirectoryHeight = 346;

QString NameText(const std::string& bytes) {
  return platform::FileNameText(bytes);
}

} // namespace

FilePage::FilePage(QWidget* parent) : QWidget(parent) {
  clipboard_ = [](const QString& text) { QGuiApplication::clipboard()->setText(text); };
  BuildWidgets();
  // The lists start on the process's current directory; the check list
  // stays empty until a directory is entered.
  FillDrives();
  SelectDrive();
  RebuildDirectoryList(model_.ShownSubdirectories());
}

void FilePage::BuildWidgets() {
  Splitter1 = new QSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setOpaqueResize(false); // a line shows where it goes; resize on release
  Splitter1->setHandleWidth(3);

  auto* panel2 = new QWidget(Splitter1);
  panel2->setObjectName(QStringLiteral("Panel2"));
  // One pixel, not Qt's own minimum: the collapse at 30 pixels is done
  // when a drag ends (Qt would stop at the minimum or collapse only below
  // half of it).
  panel2->setMinimumWidth(1);
  auto* panel2_layout = new QVBoxLayout(panel2);
  panel2_layout->setContentsMargins(0, 0, 0, 0);
  panel2_layout->setSpacing(0);

  auto* panel4 = new QWidget(panel2);
  panel4->setObjectName(QStringLiteral("Panel4"));
  panel4->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* panel4_layout = new QHBoxLayout(panel4);
  panel4_layout->setContentsMargins(8, 0, 0, 0);
  panel4_layout->addStrut(25); // 25 high at the least, taller with a taller font
  DriveComboBox1 = new QComboBox(panel4);
  DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
  DriveComboBox1->setMinimumWidth(145);
  DriveComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  panel4_layout->addWidget(DriveComboBox1);
  // Beside the volumes, above the directory list: the path field.
  panel4_layout->addWidget(BuildPathField(panel4), 1);
  panel2_layout->addWidget(panel4);

  // Splitter2 is placed by hand inside this area, so that it can reach past
  // the area's bottom as the designed layout has it.
  splitter2_area_ = new QWidget(panel2);
  splitter2_area_->installEventFilter(this);
  Splitter2 = new QSplitter(Qt::Vertical, splitter2_area_);
  Splitter2->setObjectName(QStringLiteral("Splitter2"));
  Splitter2->setOpaqueResize(false);
  Splitter2->setHandleWidth(3);
  DirectoryListBox1 = new QListWidget(Splitter2);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setMinimumHeight(1);
  DirectoryListBox1->setIconSize(QSize(16, 16));
  DirectoryListBox1->setUniformItemSizes(true);
  FileListBox1Widget = new QListWidget(Splitter2);
  FileListBox1Widget->setObjectName(QStringLiteral("FileListBox1"));
  FileListBox1Widget->setSelectionMode(QAbstractItemView::SingleSelection);
  FileListBox1Widget->setUniformItemSizes(true);
  FileListBox1Widget->setMinimumHeight(1);
  Splitter2->addWidget(DirectoryListBox1);
  Splitter2->addWidget(FileListBox1Widget);
  directory_height_ = kDesignedDirectoryHeight;
  connect(Splitter2, &QSplitter::splitterMoved, this, [this](int pos, int) {
    directory_height_ = pos <= kCollapseAt ? 0 : pos;
    LayOutSplitter2();
  });
  panel2_layout->addWidget(splitter2_area_, 1);

  CheckListBox1Widget = new QListWidget(Splitter1);
  CheckListBox1Widget->setObjectName(QStringLiteral("CheckListBox1"));
  CheckListBox1Widget->setSelectionMode(QAbstractItemView::SingleSelection);
  CheckListBox1Widget->setUniformItemSizes(true);
  CheckListBox1Widget->setMinimumWidth(1);
  Splitter1->addWidget(panel2);
  Splitter1->addWidget(CheckListBox1Widget);
  Splitter1->setSizes({257, 374});
  Splitter1->setStretchFactor(1, 1);
  // Splitter1 changes the width of Panel2; the check list takes the rest.
  connect(Splitter1, &QSplitter::splitterMoved, this, [this](int pos, int) {
    if (pos > 0 && pos <= kCollapseAt) {
      const QList<int> sizes = Splitter1->sizes();
      Splitter1->setSizes({0, sizes.at(0) + sizes.at(1)});
    }
  });

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Splitter1);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  N1 = PopupMenu1->addAction(QStringLiteral("Выделить все"));
  N2 = PopupMenu1->addAction(QStringLiteral("Снять галочки"));
  N3 = PopupMenu1->addAction(QStringLiteral("Инвентировать"));
  N8 = PopupMenu1->addAction(QStringLiteral("Список файлов в буфер обменна "));
  N1->setObjectName(QStringLiteral("N1"));
  N2->setObjectName(QStringLiteral("N2"));
  N3->setObjectName(QStringLiteral("N3"));
  N8->setObjectName(QStringLiteral("N8"));
  connect(N1, &QAction::triggered, this, [this] { Guard([this] { N1Click(); }); });
  connect(N2, &QAction::triggered, this, [this] { Guard([this] { N2Click(); }); });
  connect(N3, &QAction::triggered, this, [this] { Guard([this] { N3Click(); }); });
  connect(N8, &QAction::triggered, this, [this] { Guard([this] { N8Click(); }); });
  CheckListBox1Widget->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(CheckListBox1Widget, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(CheckListBox1Widget->mapToGlobal(at)); });

  // A single click only selects; a double click or Enter enters.
  connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { EnterItem(item); });
  DirectoryListBox1->installEventFilter(
      new EnterKeyFilter(this, [this] { EnterItem(DirectoryListBox1->currentItem()); }));
  connect(DriveComboBox1, QOverload<int>::of(&QComboBox::activated), this,
          [this](int index) { DriveComboBox1Change(index); });

  // Tab order: the directory list, the file list, the volume selector, the check list.
  setTabOrder(DirectoryListBox1, FileListBox1Widget);
  setTabOrder(FileListBox1Widget, DriveComboBox1);
  setTabOrder(DriveComboBox1, CheckListBox1Widget);
}

void FilePage::EnterItem(QListWidgetItem* item) {
  if (!item)
    return;
  const std::string path = item->data(kPathRole).toByteArray().toStdString();
  Guard([this, path] { SetShownDirectory(path); });
}

void FilePage::SetShownDirectory(const std::string& path) {
  if (path.empty() || path == model_.Shown())
    return;
  const DirectoryModel::Change change = model_.Enter(path);
  // The same directory under another spelling: the lists stay, but the
  // change still fills the check list, as for any text that is not the
  // shown directory itself.
  if (change.shown) {
    SelectDrive();
    RebuildDirectoryList(change.subdirectories);
  }
  if (change.files)
    FillFileList();
  DirectoryListBox1Change();
  RememberShownFolder();
}

void FilePage::LayOutSplitter2() {
  const int handle = Splitter2->handleWidth();
  const int height = splitter2_area_->height();
  // Never collapsed to nothing (Qt would then put it at the top): at least
  // one pixel, below the bottom when the page is too low.
  const int file_list = std::max(1, height - directory_height_ - handle);
  Splitter2->setGeometry(0, 0, splitter2_area_->width(), directory_height_ + handle + file_list);
  Splitter2->setSizes({directory_height_, file_list});
}

bool FilePage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == splitter2_area_ && event->type() == QEvent::Resize)
    LayOutSplitter2();
  return QWidget::eventFilter(watched, event);
}

void FilePage::RebuildDirectoryList(const std::vector<std::string>& subdirectories) {
  QStyle* style = DirectoryListBox1->style();
  const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style->standardIcon(QStyle::SP_DirIcon);
  DirectoryListBox1->setUpdatesEnabled(false);
  DirectoryListBox1->clear();
  auto add = [&](const QString& text, const std::string& path, const QIcon& icon, int depth) {
    auto* item = new QListWidgetItem(icon, QString(depth * 2, QLatin1Char(' ')) + text);
    item->setData(kPathRole, QByteArray::fromStdString(path));
    DirectoryListBox1->addItem(item);
    return item;
  };
  const std::string& shown = model_.Shown();
  const std::vector<std::string> steps = platform::PathFromRoot(shown);
  QListWidgetItem* current = add(NameText(steps.front()), steps.front(), open, 0);
  int depth = 1;
  for (std::size_t i = 1; i < steps.size(); ++i)
    current =
        add(NameText(steps[i].substr(platform::BareNameStart(steps[i]))), steps[i], open, depth++);
  for (const std::string& name : subdirectories)
    add(NameText(name), platform::JoinPath(shown, name), closed, depth);
  DirectoryListBox1->setCurrentItem(current);
  DirectoryListBox1->setUpdatesEnabled(true);
}

void FilePage::FillFileList() {
  const std::vector<std::string>& names = model_.Files();
  QStringList texts;
  texts.reserve(static_cast<int>(names.size()));
  for (const std::string& name : names)
    texts.append(NameText(name));
  FileListBox1Widget->setUpdatesEnabled(false);
  FileListBox1Widget->clear();
  FileListBox1Widget->addItems(texts);
  FileListBox1Widget->setUpdatesEnabled(true);
}

void FilePage::EnsureFileListRead() {
  if (!model_.FilesRead()) {
    model_.Files(); // throws when the directory cannot be read
    FillFileList();
  }
}

void FilePage::showEvent(QShowEvent* event) {
  // The file list is read when it is first shown, so that the start
  // directory's files appear even before any directory was entered. A
  // directory that cannot be read is left for the next need to report.
  try {
    EnsureFileListRead();
  } catch (const platform::Error&) {
  }
  QWidget::showEvent(event);
}

const std::vector<std::string>& FilePage::FileNames() {
  EnsureFileListRead();
  return model_.Files();
}

void FilePage::DirectoryListBox1Change() {
  // The check list takes the file list's names, all ticked.
  EnsureFileListRead();
  CheckListBox1Widget->setUpdatesEnabled(false);
  CheckListBox1Widget->clear();
  for (const std::string& name : model_.Files()) {
    auto* item = new QListWidgetItem(NameText(name));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    CheckListBox1Widget->addItem(item);
  }
  CheckListBox1Widget->setUpdatesEnabled(true);
  N1Click();
  UntickOutput();
}

void FilePage::UntickOutput() {
  for (int index : model_.OutputIndexes())
    CheckListBox1Widget->item(index)->setCheckState(Qt::Unchecked);
}

void FilePage::N1Click() {
  for (int i = 0; i < CheckListBox1Widget->count(); ++i)
    CheckListBox1Widget->item(i)->setCheckState(Qt::Checked);
}

void FilePage::N2Click() {
  for (int i = 0; i < CheckListBox1Widget->count(); ++i)
    CheckListBox1Widget->item(i)->setCheckState(Qt::Unchecked);
}

void FilePage::N3Click() {
  for (int i = 0; i < CheckListBox1Widget->count(); ++i) {
    QListWidgetItem* item = CheckListBox1Widget->item(i);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

void FilePage::N8Click() {
  QString text;
  for (int i = 0; i < CheckListBox1Widget->count(); ++i)
    text += CheckListBox1Widget->item(i)->text() + QStringLiteral("\r\n");
  clipboard_(text);
}

void FilePage::FillDrives() {
  DriveComboBox1->clear();
  for (const platform::Volume& v : platform::MountedVolumes())
    DriveComboBox1->addItem(QString::fromStdString(v.caption), QByteArray::fromStdString(v.root));
}

void FilePage::SelectDrive() {
  const QByteArray root = QByteArray::fromStdString(model_.Volume());
  int index = DriveComboBox1->findData(root);
  if (index < 0) { // a volume mounted since the list was made
    FillDrives();
    index = DriveComboBox1->findData(root);
  }
  if (index >= 0)
    DriveComboBox1->setCurrentIndex(index);
}

void FilePage::DriveComboBox1Change(int index) {
  const std::optional<std::string> target =
      model_.PickVolume(DriveComboBox1->itemData(index).toByteArray().toStdString());
  if (target)
    Guard([this, path = *target] { SetShownDirectory(path); });
}

int FilePage::Count() const {
  return CheckListBox1Widget->count();
}

bool FilePage::IsTicked(int index) const {
  const QListWidgetItem* item = CheckListBox1Widget->item(index);
  return item && item->checkState() == Qt::Checked;
}

void FilePage::Select(int index) {
  EnsureFileListRead();
  if (index < 0 || index >= FileListBox1Widget->count()) {
    FileListBox1Widget->setCurrentRow(-1);
    return;
  }
  FileListBox1Widget->setCurrentRow(index);
}

std::string FilePage::FullPathOf(int index) const {
  return model_.FullPathOf(index);
}

std::string FilePage::SelectedFullPath() const {
  return model_.FullPathOf(FileListBox1Widget->currentRow());
}

} // namespace app
