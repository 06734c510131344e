#include "app/work_progress.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>

namespace app {

WorkProgress::WorkProgress(QWidget* parent, Counting counting)
    : parent_(parent), counting_(counting) {
  clock_.start();
}

WorkProgress::~WorkProgress() {
  delete dialog_;
}

void WorkProgress::FileStarted(const std::string& path, std::int64_t size) {
  file_name_ = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
  file_size_ = size;
  file_start_total_ = total_;
  if (dialog_)
    UpdateDialog();
}

void WorkProgress::BytesDone(std::int64_t total) {
  total_ = total;
  if (total_ - last_pump_total_ >= kPumpEveryBytes)
    Pump();
}

bool WorkProgress::CancelRequested() {
  return cancelled_;
}

void WorkProgress::Pump() {
  last_pump_total_ = total_;
  if (!dialog_) {
    if (clock_.elapsed() < kShowAfterMs)
      return;
    dialog_ = new QProgressDialog(parent_);
    dialog_->setObjectName(QStringLiteral("WorkProgress"));
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setCancelButtonText(QStringLiteral("Отмена"));
    dialog_->setMinimumDuration(0);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    QObject::connect(dialog_, &QProgressDialog::canceled, [this] { cancelled_ = true; });
    UpdateDialog();
    dialog_->show();
  } else {
    UpdateDialog();
  }
  QCoreApplication::processEvents();
  if (dialog_ && dialog_->wasCanceled())
    cancelled_ = true;
}

void WorkProgress::UpdateDialog() {
  const std::int64_t done = total_ - file_start_total_;
  const QString counted =
      counting_ == kRead ? QStringLiteral("Прочитано байт: ") : QStringLiteral("Записано байт: ");
  dialog_->setLabelText(
      QStringLiteral("%1\n%2%3").arg(file_name_, counted, QLocale().toString(qlonglong(done))));
  if (file_size_ > 0) {
    // The bar counts KiB so that large files fit an int.
    dialog_->setMaximum(static_cast<int>(file_size_ / 1024 + 1));
    dialog_->setValue(static_cast<int>(std::min(done, file_size_) / 1024));
  } else {
    dialog_->setMaximum(0); // busy indicator
    dialog_->setValue(0);
  }
}

} // namespace app
