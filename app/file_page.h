#pragma once
// The page "Выбрать файлы" in its least form: the file list of one directory's
// "*.csv" files and the check list of the same names, all ticked. The drivers
// of collecting see it through merge::CandidateList.

#include "merge/collect.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QListWidget;

namespace app {

// The "*.csv" files of a directory (any letter case of the extension),
// without hidden files and directories, in the order the desktop's file
// manager shows them (locale collation, letter case ignored, numbers by
// value).
QStringList ListCsvFiles(const QString& directory);

class FilePage : public QWidget, public merge::CandidateList {
  Q_OBJECT
public:
  explicit FilePage(QWidget* parent = nullptr);

  // Shows the directory's files in the file list and mirrors them into the
  // check list, all ticked.
  void ShowDirectory(const QString& directory);
  const QString& ShownDirectory() const { return directory_; }

  QListWidget* FileListBox1() const { return file_list_; }
  QListWidget* CheckListBox1() const { return check_list_; }

  // merge::CandidateList
  int Count() const override;
  bool IsTicked(int index) const override;
  void Select(int index) override;
  std::string SelectedFullPath() const override;

private:
  QString directory_;
  QListWidget* file_list_;
  QListWidget* check_list_;
};

} // namespace app
