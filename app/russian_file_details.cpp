#include "app/russian_file_details.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLocale>
#include <QTreeView>

namespace app {

namespace {

const QLocale& Russian() {
  static const QLocale locale(QLocale::Russian, QLocale::Russia);
  return locale;
}

// The file list's columns: name, size, kind, date.
enum Column { kName = 0, kSize = 1, kKind = 2, kDate = 3 };

} // namespace

QVariant RussianFileDetails::data(const QModelIndex& index, int role) const {
  const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
  if (files == nullptr || role != Qt::DisplayRole || index.column() == kName)
    return QIdentityProxyModel::data(index, role);
  const QModelIndex source = mapToSource(index);
  const QFileInfo info = files->fileInfo(source);
  switch (index.column()) {
  case kSize:
    return info.isDir() ? QString() : Russian().formattedDataSize(info.size());
  case kKind:
    if (info.isDir())
      return QStringLiteral("Папка");
    return info.suffix().isEmpty() ? QStringLiteral("Файл")
                                   : QStringLiteral("Файл %1").arg(info.suffix().toUpper());
  case kDate:
    return Russian().toString(files->lastModified(source), QLocale::ShortFormat);
  default:
    return QIdentityProxyModel::data(index, role);
  }
}

void UseRussianFileDetails(QFileDialog& dialog) {
  dialog.setProxyModel(new RussianFileDetails(&dialog));
  if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    for (const int column : {kSize, kKind, kDate})
      view->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    view->header()->setSectionResizeMode(kName, QHeaderView::Stretch);
  }
}

} // namespace app
