#pragma once
// Progress of a long collect or save: nothing is shown for the first half
// second; after that a modal dialog names the file, counts the bytes read or
// written and offers Cancel. Events are let through only every few MiB, so
// short work pays nothing and the rest of the window cannot be touched
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

  // What the dialog counts: bytes read (collecting) or written (saving).
  enum Counting { kRead, kWritten };

  explicit WorkProgress(QWidget* parent, Counting counting = kRead);
  ~WorkProgress() override;

  void FileStarted(const std::string& path, std::int64_t size) override;
  void BytesDone(std::int64_t total) override;
  bool CancelRequested() override;

  bool DialogShown() const { return dialog_ != nullptr; }

private:
  void Pump();
  void UpdateDialog();

  QWidget* parent_;
  Counting counting_;
  QElapsedTimer clock_;
  QPointer<QProgressDialog> dialog_;
  QString file_name_;
  std::int64_t file_size_ = -1;
  std::int64_t file_start_total_ = 0;
  std::int64_t total_ = 0;
  std::int64_t last_pump_total_ = 0;
  bool cancelled_ = false;
};

} // namespace app
