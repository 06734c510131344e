#pragma once
// Progress of a run without the window, drawn on standard error when that is
// a terminal (files k of n, bytes, rate, a bar); it also carries the cancel
// that an interrupt (Ctrl+C) asks for, so that nothing is left half written.

#include "platform/progress.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace cli {

class TerminalProgress : public platform::Progress {
public:
  // `out` null: silent. `files` and `bytes`: what the whole work reads.
  TerminalProgress(std::FILE* out, int files, std::int64_t bytes);
  ~TerminalProgress() override;

  void FileStarted(const std::string& path, std::int64_t size) override;
  void BytesDone(std::int64_t total) override;
  bool CancelRequested() override;
  void DataCutAtEndMark(const std::string& path) override;

  // The sources whose data a byte 26 cut short, each once, in the order met.
  const std::vector<std::string>& CutFiles() const { return cut_files_; }

  // From now on SIGINT and SIGTERM ask the work to stop at its next check.
  static void CatchInterrupts();
  static bool Interrupted();

private:
  void Draw(bool force);

  std::FILE* out_;
  int files_;
  std::int64_t bytes_;
  int file_ = 0;
  std::int64_t done_ = 0;
  std::int64_t base_ = 0; // bytes of earlier stages (a save after a collect)
  bool drawn_ = false;
  std::vector<std::string> cut_files_;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point last_draw_;
};

} // namespace cli
