#include "cli/terminal_progress.h"

#include <algorithm>
#include <atomic>
#include <csignal>

namespace cli {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) {
  g_interrupted.store(true);
}

double Megabytes(std::int64_t bytes) {
  return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

} // namespace

TerminalProgress::TerminalProgress(std::FILE* out, int files, std::int64_t bytes)
    : out_(out), files_(files), bytes_(std::max<std::int64_t>(bytes, 1)),
      start_(std::chrono::steady_clock::now()), last_draw_(start_) {}

TerminalProgress::~TerminalProgress() {
  if (out_ != nullptr && drawn_) {
    Draw(true);
    std::fputc('\n', out_);
    std::fflush(out_);
  }
}

void TerminalProgress::FileStarted(const std::string&, std::int64_t size) {
  if (size < 0) { // the output: its bytes count on from the reading's
    base_ = done_;
    return;
  }
  file_ = std::min(file_ + 1, files_);
  Draw(false);
}

void TerminalProgress::BytesDone(std::int64_t total) {
  done_ = base_ + total;
  Draw(false);
}

bool TerminalProgress::CancelRequested() {
  return Interrupted();
}

void TerminalProgress::CatchInterrupts() {
#ifdef _WIN32
  // Ctrl+C and Ctrl+Break reach a console program as these two signals.
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGBREAK, OnInterrupt);
#else
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
#endif
}

bool TerminalProgress::Interrupted() {
  return g_interrupted.load();
}

void TerminalProgress::Draw(bool force) {
  if (out_ == nullptr)
    return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && drawn_ && now - last_draw_ < std::chrono::milliseconds(200))
    return;
  last_draw_ = now;
  drawn_ = true;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? Megabytes(done_) / seconds : 0.0;
  const double share = std::min(1.0, static_cast<double>(done_) / static_cast<double>(bytes_));
  constexpr int kBar = 24;
  const int filled = static_cast<int>(share * kBar);
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.append(static_cast<std::size_t>(kBar - filled), '.');
  std::fprintf(out_, "\rфайл %d из %d  %.1f МБ из %.1f МБ  %.1f МБ/с  [%s] %3d%%", file_, files_,
               Megabytes(done_), Megabytes(bytes_), rate, bar.c_str(),
               static_cast<int>(share * 100));
  std::fflush(out_);
}

void TerminalProgress::DataCutAtEndMark(const std::string& path) {
  if (std::find(cut_files_.begin(), cut_files_.end(), path) == cut_files_.end())
    cut_files_.push_back(path);
}

} // namespace cli
