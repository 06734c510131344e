#pragma once
// Progress of a long collect or save: nothing is shown for the first half
// second; after that a modal dialog offers Cancel and shows one bar over the
// whole job. Collecting: the bytes of all ticked files (known before reading
// starts), "файл k из n" and the current file's name. Saving: the share of
// rows written, as a percentage. Events are let through only every few MiB,
// so short work pays nothing and the rest of the window cannot be touched
// meanwhile.

#include "platform/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <QProgressDialog>
class QWidget;

namespace app {

class WorkProgress : public platform::Progress {
public:
  static constexpr qint64 kShowAfterMs = 500;
  static constexpr std::int64_t kPumpEveryBytes = 4 << 20;

  // What the dialog counts: bytes read (collecting) or written (saving), or
  // the parts of a job on the table (rows sorted, searched), under a caption.
  enum Counting { kRead, kWritten, kParts };

  // `show_after_ms` < 0: the process-wide delay (kShowAfterMs unless a test
  // set another with SetDefaultShowAfter).
  explicit WorkProgress(QWidget* parent, Counting counting = kRead, qint64 show_after_ms = -1);
  static void SetDefaultShowAfter(qint64 ms);
  ~WorkProgress() override;

  void JobStarted(std::int32_t files, std::int64_t bytes) override;
  void FileStarted(const std::string& path, std::int64_t size) override;
  void BytesDone(std::int64_t total) override;
  void PartsDone(std::int64_t done, std::int64_t total) override;
  bool CancelRequested() override;

  // The caption of a kParts job ("Сортировка").
  void SetCaption(const QString& caption) { file_name_ = caption; }
  // Lets the window breathe while work on another thread goes on: shows the
  // dialog once the delay has passed, and handles the events waiting.
  void Tick() { Pump(); }

  bool DialogShown() const { return dialog_ != nullptr; }
  const QProgressDialog* Dialog() const { return dialog_; }
  // The files of the job as told beforehand (-1: not told), and how many of
  // them reading has started on so far.
  std::int32_t JobFiles() const { return job_files_; }
  std::int32_t FilesStarted() const { return files_started_; }
  // The bare name of the file read (or written) last.
  const QString& FileName() const { return file_name_; }

private:
  void Pump();
  void UpdateDialog();
  void SetBar(std::int64_t done, std::int64_t total);

  QWidget* parent_;
  Counting counting_;
  qint64 show_after_ms_;
  QElapsedTimer clock_;
  QPointer<QProgressDialog> dialog_;
  QString file_name_;
  std::int32_t job_files_ = -1;
  std::int64_t job_bytes_ = -1;
  std::int32_t files_started_ = 0;
  std::int64_t file_size_ = -1;
  std::int64_t file_start_total_ = 0;
  std::int64_t total_ = 0;
  std::int64_t last_pump_total_ = 0;
  std::int64_t parts_done_ = 0;
  std::int64_t parts_total_ = -1;
  bool cancelled_ = false;
};

} // namespace app
