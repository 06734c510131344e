#include "app/worker_run.h"

#include "app/work_progress.h"
#include "platform/progress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace app {

namespace {

// What the helper thread tells the window: plain atomics, read by the
// window's thread between its events.
class SharedProgress : public platform::Progress {
public:
  void FileStarted(const std::string&, std::int64_t) override {}
  void BytesDone(std::int64_t) override {}
  void PartsDone(std::int64_t done, std::int64_t total) override {
    done_.store(done, std::memory_order_relaxed);
    total_.store(total, std::memory_order_relaxed);
  }
  bool CancelRequested() override { return cancel_.load(std::memory_order_relaxed); }

  std::atomic<std::int64_t> done_{0};
  std::atomic<std::int64_t> total_{-1};
  std::atomic<bool> cancel_{false};
};

} // namespace

void RunOnWorker(QWidget* parent, const QString& caption,
                 const std::function<void(platform::Progress&)>& work) {
  WorkProgress progress(parent, WorkProgress::kParts);
  progress.SetCaption(caption);
  SharedProgress shared;
  std::mutex mutex;
  std::condition_variable finished_signal;
  bool finished = false;
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work(shared);
    } catch (...) {
      error = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    finished_signal.notify_one();
  });
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (finished_signal.wait_for(lock, std::chrono::milliseconds(20), [&] { return finished; }))
        break;
    }
    progress.PartsDone(shared.done_.load(), shared.total_.load());
    progress.Tick();
    if (progress.CancelRequested())
      shared.cancel_.store(true);
  }
  worker.join();
  if (error)
    std::rethrow_exception(error);
}

} // namespace app
