// The first page's ways to a folder besides the directory list: the path
// field (typed or pasted, Enter goes there), the last ten folders in its
// drop-down, and paths dropped onto the window.

#include "app/enter_key_filter.h"
#include "app/error_box.h"
#include "app/file_page.h"
#include "platform/directory.h"
#include "platform/file.h"
#include "platform/file_name_text.h"
#include "settings/settings_values.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <set>

namespace app {

namespace {

// The folder a file's full name lies in ("/" for a file at the root).
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos)
    return {};
  std::string folder = path.substr(0, slash == 0 ? 1 : slash);
  // A drive's root keeps its separator ("C:\"; "C:" alone is the drive's
  // current directory).
  if (folder.size() == 2 && folder[1] == ':')
    folder += path[slash];
  return folder;
}

std::string BareName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

FilePage::~FilePage() {
  // Closing the window takes the focus from the path field, which may
  // still report a choice: not to a page that is going.
  if (ComboBox4 != nullptr)
    QObject::disconnect(ComboBox4, nullptr, this, nullptr);
}

QComboBox* FilePage::BuildPathField(QWidget* parent) {
  ComboBox4 = new QComboBox(parent);
  ComboBox4->setObjectName(QStringLiteral("ComboBox4"));
  ComboBox4->setEditable(true);
  ComboBox4->setInsertPolicy(QComboBox::NoInsert);
  ComboBox4->setCompleter(nullptr);
  ComboBox4->lineEdit()->setPlaceholderText(QStringLiteral("Путь к папке"));
  ComboBox4->setToolTip(QStringLiteral("Путь к папке: введите или вставьте и нажмите Enter; "
                                       "в списке — последние папки"));
  ComboBox4->setMinimumWidth(40);
  ComboBox4->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  ComboBox4->setMinimumContentsLength(4);
  // The combo box takes the keys and hands them to its line edit itself;
  // Enter is caught on either.
  auto* enter = new EnterKeyFilter(this, [this] { Guard([this] { EnterTypedPath(); }); });
  ComboBox4->installEventFilter(enter);
  ComboBox4->lineEdit()->installEventFilter(enter);
  connect(ComboBox4, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
    const std::string path = ComboBox4->itemData(index).toByteArray().toStdString();
    recent_in_use_ = true;
    Guard([this, path] { SetShownDirectory(path); });
    ShowRecentFolders(); // a folder that cannot be entered leaves the shown one in the field
  });
  return ComboBox4;
}

void FilePage::EnterTypedPath() {
  recent_in_use_ = true;
  QString text = ComboBox4->currentText().trimmed();
  if (text.startsWith(QLatin1Char('~')))
    text = QDir::homePath() + text.mid(1);
  std::string path = platform::FileNameBytes(text);
  // A relative path counts from the folder shown.
  if (!path.empty() && !platform::IsAbsolutePath(path))
    path = platform::JoinPath(model_.Shown(), path);
  // A file's name shows its folder with only that file ticked.
  if (platform::StatusOf(path).kind == platform::PathStatus::kRegularFile) {
    ShowDropped({path});
    return;
  }
  try {
    SetShownDirectory(path);
  } catch (...) {
    ShowRecentFolders();
    ComboBox4->setEditText(text); // kept, so that it can be mended
    throw;
  }
  ShowRecentFolders();
}

void FilePage::RememberShownFolder() {
  const std::string& shown = model_.Shown();
  recent_folders_.erase(std::remove(recent_folders_.begin(), recent_folders_.end(), shown),
                        recent_folders_.end());
  recent_folders_.insert(recent_folders_.begin(), shown);
  if (recent_folders_.size() > static_cast<std::size_t>(settings::kRecentFolders))
    recent_folders_.resize(settings::kRecentFolders);
  ShowRecentFolders();
}

void FilePage::SetRecentFolders(std::vector<std::string> folders) {
  if (folders.size() > static_cast<std::size_t>(settings::kRecentFolders))
    folders.resize(settings::kRecentFolders);
  recent_folders_ = std::move(folders);
  recent_in_use_ = recent_in_use_ || !recent_folders_.empty();
  ShowRecentFolders();
}

void FilePage::ShowRecentFolders() {
  if (ComboBox4 == nullptr)
    return;
  const QSignalBlocker quiet(ComboBox4);
  ComboBox4->clear();
  for (const std::string& folder : recent_folders_)
    ComboBox4->addItem(platform::FileNameText(folder),
                       QByteArray(folder.data(), static_cast<qsizetype>(folder.size())));
  ComboBox4->setCurrentIndex(-1);
  ComboBox4->setEditText(platform::FileNameText(model_.Shown()));
}

void FilePage::ShowDropped(const std::vector<std::string>& paths) {
  if (paths.empty())
    return;
  recent_in_use_ = true;
  if (platform::StatusOf(paths.front()).kind == platform::PathStatus::kDirectory) {
    SetShownDirectory(paths.front());
    return;
  }
  const std::string folder = FolderOf(paths.front());
  SetShownDirectory(folder);
  std::set<std::string> dropped;
  for (const std::string& path : paths)
    if (FolderOf(path) == folder)
      dropped.insert(BareName(path));
  const std::vector<std::string>& names = FileNames();
  for (int i = 0; i < CheckListBox1Widget->count() && i < static_cast<int>(names.size()); ++i)
    CheckListBox1Widget->item(i)->setCheckState(
        dropped.count(names[static_cast<std::size_t>(i)]) > 0 ? Qt::Checked : Qt::Unchecked);
}

} // namespace app
