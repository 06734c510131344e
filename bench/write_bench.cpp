// How the save's writer should put its bytes on disk. Fills 4 MiB buffers at
// about the rate a plain save fills them (a byte table lookup over generated
// text) and writes them into a new file, ended by fdatasync, in one of these
// ways:
//   plain    write() through the page cache from the filling thread
//   direct   the same with O_DIRECT (past the page cache)
//   range    plain, plus sync_file_range(WRITE) after every buffer
//   thread   plain, but each buffer written by a new thread while the next
//            one fills (double buffering)
//   all      direct + thread, as the writer had it (range only where
//            O_DIRECT is refused)
//   direct16 direct, 16 MiB buffers
//   queue16  direct, one long-lived writer thread fed 16 MiB buffers, 3 of
//            them: up to 2 written or waiting while the third fills
//   queue64  the same with 64 MiB buffers, 2 of them
//   fill     filling only, no file: the producer's share
// Prints the wall time from open to the end of fdatasync. One mode per
// process; bench/run_write.sh interleaves them.
//
// Usage: write_bench FILE MODE [MiB=512]

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

std::size_t kBuffer = std::size_t{4} << 20; // set once from the mode
constexpr std::size_t kAlign = 4096;

struct Free {
  void operator()(unsigned char* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char[], Free>;

Buffer Aligned() {
  auto* p = static_cast<unsigned char*>(std::aligned_alloc(kAlign, kBuffer));
  if (p == nullptr) {
    std::perror("aligned_alloc");
    std::exit(1);
  }
  return Buffer(p);
}

// Text of CSV-like lines, 64 MiB, filled once; each buffer is a transformed
// copy of a slice of it.
class Source {
public:
  Source() : text_(kText, '\0') {
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < kText; ++i) {
      x = x * 1664525u + 1013904223u;
      const unsigned v = x >> 24;
      text_[i] = i % 64 == 63 ? '\n' : (v % 11 == 0 ? ';' : static_cast<char>('0' + v % 75));
    }
    for (int b = 0; b < 256; ++b)
      map_[b] = static_cast<unsigned char>(b == ';' ? '|' : b);
  }
  void Fill(unsigned char* out, std::size_t index) const {
    const auto* in =
        reinterpret_cast<const unsigned char*>(text_.data()) + (index * kBuffer) % kText;
    for (std::size_t i = 0; i < kBuffer; ++i)
      out[i] = map_[in[i]];
  }

private:
  static constexpr std::size_t kText = std::size_t{64} << 20;
  std::string text_;
  unsigned char map_[256];
};

void WriteAll(int fd, const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n <= 0) {
      std::perror("write");
      std::exit(1);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(
        stderr,
        "usage: write_bench FILE plain|direct|range|thread|all|direct16|queue16|queue64|fill "
        "[MiB]\n");
    return 2;
  }
  const std::string path = argv[1];
  const std::string mode = argv[2];
  const bool queued = mode == "queue16" || mode == "queue64";
  if (mode == "direct16" || mode == "queue16")
    kBuffer = std::size_t{16} << 20;
  if (mode == "queue64")
    kBuffer = std::size_t{64} << 20;
  const std::size_t buffers =
      (argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 512) / (kBuffer >> 20);
  const bool direct = mode == "direct" || mode == "all" || mode == "direct16" || queued;
  const bool range = mode == "range";
  const bool threaded = mode == "thread" || mode == "all";
  const bool fill_only = mode == "fill";

  const Source source;
  Buffer filling = Aligned();
  Buffer writing = Aligned();
  ::unlink(path.c_str());

  const auto t0 = std::chrono::steady_clock::now();
  int fd = -1;
  if (!fill_only) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (direct ? O_DIRECT : 0),
                0644);
    if (fd < 0) {
      std::perror("open");
      return 1;
    }
  }
  std::future<void> pending;
  off_t written = 0;
  if (queued) {
    // One writer thread for the whole file; free buffers go back to the filler.
    const std::size_t count = mode == "queue16" ? 3 : 2;
    std::vector<Buffer> owned;
    std::deque<unsigned char*> free_buffers, full_buffers;
    for (std::size_t k = 0; k < count; ++k) {
      owned.push_back(Aligned());
      free_buffers.push_back(owned.back().get());
    }
    std::mutex mutex;
    std::condition_variable changed;
    bool done = false;
    std::thread writer([&] {
      for (;;) {
        unsigned char* data = nullptr;
        {
          std::unique_lock<std::mutex> lock(mutex);
          changed.wait(lock, [&] { return done || !full_buffers.empty(); });
          if (full_buffers.empty())
            return;
          data = full_buffers.front();
          full_buffers.pop_front();
        }
        WriteAll(fd, data, kBuffer);
        std::lock_guard<std::mutex> lock(mutex);
        free_buffers.push_back(data);
        changed.notify_all();
      }
    });
    for (std::size_t i = 0; i < buffers; ++i) {
      unsigned char* data = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return !free_buffers.empty(); });
        data = free_buffers.front();
        free_buffers.pop_front();
      }
      source.Fill(data, i);
      std::lock_guard<std::mutex> lock(mutex);
      full_buffers.push_back(data);
      changed.notify_all();
    }
    {
      std::lock_guard<std::mutex> lock(mutex);
      done = true;
      changed.notify_all();
    }
    writer.join();
  }
  for (std::size_t i = 0; i < buffers && !queued; ++i) {
    source.Fill(filling.get(), i);
    if (fill_only)
      continue;
    if (threaded) {
      if (pending.valid())
        pending.get();
      std::swap(filling, writing);
      const unsigned char* data = writing.get();
      const off_t at = written;
      pending = std::async(std::launch::async, [=] {
        WriteAll(fd, data, kBuffer);
        if (range)
          ::sync_file_range(fd, at, kBuffer, SYNC_FILE_RANGE_WRITE);
      });
    } else {
      WriteAll(fd, filling.get(), kBuffer);
      if (range)
        ::sync_file_range(fd, written, kBuffer, SYNC_FILE_RANGE_WRITE);
    }
    written += kBuffer;
  }
  if (pending.valid())
    pending.get();
  if (fd >= 0) {
    if (::fdatasync(fd) != 0) {
      std::perror("fdatasync");
      return 1;
    }
    ::close(fd);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%s %.3f\n", mode.c_str(), seconds);
  ::unlink(path.c_str());
  return 0;
}
