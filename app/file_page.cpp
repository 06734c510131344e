#include "app/file_page.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QListWidget>
#include <QLocale>
#include <QSplitter>

#include <algorithm>

namespace app {

QStringList ListCsvFiles(const QString& directory) {
  // Without QDir::Hidden, names beginning with "." are left out.
  QStringList names;
  const QStringList entries = QDir(directory).entryList(QDir::Files, QDir::NoSort);
  for (const QString& name : entries) {
    if (name.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
      names.append(name);
  }
  // The "C" locale's collator compares code points and knows no numeric
  // mode; such a process sorts as an English desktop would.
  QLocale locale;
  if (locale.language() == QLocale::C)
    locale = QLocale(QLocale::English, QLocale::UnitedStates);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  std::sort(names.begin(), names.end(), [&collator](const QString& a, const QString& b) {
    const int order = collator.compare(a, b);
    return order != 0 ? order < 0 : a < b; // a fixed order for names the locale finds equal
  });
  return names;
}

FilePage::FilePage(QWidget* parent) : QWidget(parent) {
  auto* splitter = new QSplitter(Qt::Horizontal, this);
  splitter->setObjectName(QStringLiteral("Splitter1"));
  file_list_ = new QListWidget(splitter);
  file_list_->setObjectName(QStringLiteral("FileListBox1"));
  file_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  check_list_ = new QListWidget(splitter);
  check_list_->setObjectName(QStringLiteral("CheckListBox1"));
  check_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  splitter->addWidget(file_list_);
  splitter->addWidget(check_list_);
  splitter->setSizes({257, 374});
  splitter->setStretchFactor(1, 1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);
}

void FilePage::ShowDirectory(const QString& directory) {
  directory_ = directory;
  const QStringList names = ListCsvFiles(directory);
  file_list_->clear();
  file_list_->addItems(names);
  check_list_->clear();
  for (const QString& name : names) {
    auto* item = new QListWidgetItem(name, check_list_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
  }
}

int FilePage::Count() const {
  return check_list_->count();
}

bool FilePage::IsTicked(int index) const {
  const QListWidgetItem* item = check_list_->item(index);
  return item != nullptr && item->checkState() == Qt::Checked;
}

void FilePage::Select(int index) {
  if (index >= 0 && index < file_list_->count())
    file_list_->setCurrentRow(index);
  else
    file_list_->setCurrentRow(-1);
}

std::string FilePage::SelectedFullPath() const {
  const QListWidgetItem* item = file_list_->currentItem();
  if (item == nullptr)
    return {};
  QString path = directory_;
  if (!path.endsWith(QLatin1Char('/')))
    path += QLatin1Char('/');
  path += item->text();
  return QFile::encodeName(path).toStdString();
}

} // namespace app
