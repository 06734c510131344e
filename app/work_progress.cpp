#include "app/work_progress.h"

#include "app/status_texts.h"
#include "platform/file_name_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

#include <algorithm>

namespace app {

namespace {

qint64& DefaultShowAfter() {
  static qint64 ms = WorkProgress::kShowAfterMs;
  return ms;
}

} // namespace

void WorkProgress::SetDefaultShowAfter(qint64 ms) {
  DefaultShowAfter() = ms;
}

WorkProgress::WorkProgress(QWidget* parent, Counting counting, qint64 show_after_ms)
    : parent_(parent), counting_(counting),
      show_after_ms_(show_after_ms < 0 ? DefaultShowAfter() : show_after_ms) {
  clock_.start();
}

WorkProgress::~WorkProgress() {
  delete dialog_;
}

void WorkProgress::JobStarted(std::int32_t files, std::int64_t bytes) {
  job_files_ = files;
  job_bytes_ = bytes;
}

void WorkProgress::FileStarted(const std::string& path, std::int64_t size) {
  file_name_ = QFileInfo(platform::FileNameText(path)).fileName();
  file_size_ = size;
  file_start_total_ = total_;
  ++files_started_;
  if (dialog_)
    UpdateDialog();
}

void WorkProgress::BytesDone(std::int64_t total) {
  total_ = total;
  if (total_ - last_pump_total_ >= kPumpEveryBytes)
    Pump();
}

void WorkProgress::PartsDone(std::int64_t done, std::int64_t total) {
  parts_done_ = done;
  parts_total_ = total;
}

bool WorkProgress::CancelRequested() {
  return cancelled_;
}

void WorkProgress::Pump() {
  last_pump_total_ = total_;
  if (!dialog_) {
    if (clock_.elapsed() < show_after_ms_)
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

// The bar counts KiB so that large jobs fit an int; no total: a busy bar.
void WorkProgress::SetBar(std::int64_t done, std::int64_t total) {
  if (total <= 0) {
    dialog_->setMaximum(total == 0 ? 1 : 0);
    dialog_->setValue(0);
    return;
  }
  const std::int64_t scale = total > INT32_MAX / 2 ? 1024 : 1;
  dialog_->setMaximum(static_cast<int>(total / scale + (scale > 1 ? 1 : 0)));
  dialog_->setValue(static_cast<int>(std::clamp<std::int64_t>(done, 0, total) / scale));
}

void WorkProgress::UpdateDialog() {
  if (counting_ == kParts) {
    dialog_->setLabelText(QStringLiteral("%1\nСтрок: %2 из %3")
                              .arg(file_name_, NumberText(parts_done_),
                                   NumberText(std::max<std::int64_t>(parts_total_, 0))));
    SetBar(parts_done_, parts_total_);
    return;
  }
  if (counting_ == kWritten) {
    dialog_->setLabelText(
        QStringLiteral("%1\nЗаписано байт: %2").arg(file_name_, NumberText(total_)));
    SetBar(parts_done_, parts_total_);
    return;
  }
  if (job_files_ < 0) { // the job was not told: this file alone
    dialog_->setLabelText(QStringLiteral("%1\nПрочитано байт: %2")
                              .arg(file_name_, NumberText(total_ - file_start_total_)));
    SetBar(total_ - file_start_total_, file_size_);
    return;
  }
  const std::int32_t k = std::min(std::max(files_started_, 1), std::max(job_files_, 1));
  dialog_->setLabelText(QStringLiteral("файл %1 из %2\n%3").arg(k).arg(job_files_).arg(file_name_));
  SetBar(total_, job_bytes_);
}

} // namespace app
