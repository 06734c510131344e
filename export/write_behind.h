#pragma once
// Writes filled buffers on one long-lived thread while the caller fills the
// next: a few large aligned buffers go round between the two, so that
// building the text and putting it on disk overlap (bench/write_bench: two
// 16 MiB writes waiting or in flight while a third buffer fills beat
// filling and writing one buffer in turn, past the page cache both).

#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace exporter {

class WriteBehind {
public:
  static constexpr std::size_t kBufferSize = std::size_t{16} << 20;
  static constexpr std::size_t kBufferCount = 3;

  // Hands bytes to the file; may throw, on the writer thread.
  using BlockWriter = std::function<void(const char* data, std::size_t size)>;

  // Buffers aligned to `alignment`; throws std::bad_alloc.
  WriteBehind(BlockWriter write, std::size_t alignment);
  // Drops what is not written yet (the output is being abandoned) and stops.
  ~WriteBehind();
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // A buffer of kBufferSize bytes to fill, once one is free. Rethrows the
  // writer's failure.
  char* Acquire();
  // Queues the first `size` bytes of an acquired buffer for writing, after
  // everything submitted before. Rethrows the writer's failure.
  void Submit(char* buffer, std::size_t size);
  // Waits until everything submitted is written. Rethrows the writer's failure.
  void Drain();

private:
  struct Pending {
    char* data;
    std::size_t size;
  };
  struct FreeDeleter {
    void operator()(char* p) const;
  };

  void Run();
  void ThrowIfFailed(); // with the mutex held
  // Writes on the caller's thread when no writer thread could be started.
  void WriteNow(char* buffer, std::size_t size); // with the mutex held

  BlockWriter write_;
  std::vector<std::unique_ptr<char[], FreeDeleter>> buffers_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<char*> free_;
  std::deque<Pending> queued_;
  bool writing_ = false; // a buffer is out of the queue and being written
  bool stop_ = false;
  std::exception_ptr failure_;
  std::thread thread_; // last: starts once everything above exists; none when
                       // the system would not start one
};

} // namespace exporter
