#pragma once
// The page "Выбрать файлы": the volume selector, the directory list and the
// file list work as a chain (volume -> directory -> "*.csv" files), and the
// check list mirrors the file list with a tick per name. The drivers of
// collecting see the page through merge::CandidateList. What the lists show
// is kept, without widgets, in a DirectoryModel.

#include "app/directory_model.h"
#include "merge/collect.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QShowEvent;
class QSplitter;

namespace app {

class FilePage : public QWidget, public merge::CandidateList {
  Q_OBJECT
public:
  explicit FilePage(QWidget* parent = nullptr);
  ~FilePage() override;

  // Where N8Click puts its text; the system clipboard unless replaced.
  void SetClipboardSink(std::function<void(const QString&)> sink) { clipboard_ = std::move(sink); }

  // The output that saving would write (file system bytes, relative to the
  // current directory as saving takes it); when the check list is filled,
  // that file is listed but left unticked, so that a collect never takes
  // the last output back in. Unset, every file is ticked.
  void SetOutputName(std::function<std::string()> output_name) {
    model_.SetOutputName(std::move(output_name));
  }

  // The directory shown, a full path; "/" is the only one ending in "/".
  const std::string& ShownDirectory() const { return model_.Shown(); }
  // The directory change: enters `path`, makes it the process's current
  // directory, rebuilds the lists and mirrors the files into the check list.
  // An empty path or the shown one does nothing; a path that cannot be
  // entered throws its file error and leaves everything as it was.
  void SetShownDirectory(const std::string& path);

  // The path field above the lists: the shown directory, typed or pasted
  // and entered with Enter; its drop-down holds the last folders shown.
  QComboBox* ComboBox4 = nullptr;
  // The folders shown last (file system bytes), the latest first, at most ten.
  const std::vector<std::string>& RecentFolders() const { return recent_folders_; }
  // Whether init.ini keeps them: once the path field, its drop-down or a
  // drop was used (now or in a run whose init.ini kept them), so that a
  // user of the directory list alone keeps the twelve lines.
  bool RecentFoldersInUse() const { return recent_in_use_; }
  void SetRecentFolders(std::vector<std::string> folders);
  // Paths dropped onto the window: a folder is shown; files are shown in
  // their folder (the first file's) and only they are ticked there.
  void ShowDropped(const std::vector<std::string>& paths);

  QComboBox* DriveComboBox1 = nullptr;
  QListWidget* DirectoryListBox1 = nullptr;
  QListWidget* FileListBox1Widget = nullptr;
  QListWidget* CheckListBox1Widget = nullptr;
  QSplitter* Splitter1 = nullptr;
  QSplitter* Splitter2 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction* N1 = nullptr;
  QAction* N2 = nullptr;
  QAction* N3 = nullptr;
  QAction* N8 = nullptr;
  QListWidget* FileListBox1() const { return FileListBox1Widget; }
  QListWidget* CheckListBox1() const { return CheckListBox1Widget; }

  // merge::CandidateList
  int Count() const override;
  bool IsTicked(int index) const override;
  void Select(int index) override;
  std::string SelectedFullPath() const override;
  std::string FullPathOf(int index) const override;

  // The file list's names (file system bytes) as last read.
  const std::vector<std::string>& FileNames();

public slots:
  void DirectoryListBox1Change();
  void N1Click();
  void N2Click();
  void N3Click();
  void N8Click();
  void DriveComboBox1Change(int index);

protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void BuildWidgets();
  // folder_path.cpp: the path field and the recent folders.
  QComboBox* BuildPathField(QWidget* parent);
  void EnterTypedPath();
  void RememberShownFolder();
  void ShowRecentFolders();
  void RebuildDirectoryList(const std::vector<std::string>& subdirectories);
  void FillFileList();
  void EnsureFileListRead();
  void FillDrives();
  void SelectDrive();
  void EnterItem(QListWidgetItem* item);
  void UntickOutput();
  // The directory list keeps its height; the file list takes what is left
  // below it, nothing when the page is too low (it is then out of sight).
  void LayOutSplitter2();

  QWidget* splitter2_area_ = nullptr;
  int directory_height_ = 346;

  DirectoryModel model_;
  std::vector<std::string> recent_folders_;
  bool recent_in_use_ = false;
  std::function<void(const QString&)> clipboard_;
};

} // namespace app
