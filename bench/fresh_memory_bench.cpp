// What the first touch of fresh memory costs on this machine, apart from any
// work done with it: maps the given number of MiB, advised for huge pages as
// the table's blocks are, writes one byte per 4 KiB page, then does the same
// again over the now-backed pages. A collect that copies its input into new
// memory cannot finish sooner than the first pass over the table's size.
//
// Usage: fresh_memory_bench <MiB> [threads=1]
// Prints: mib=... threads=... first_touch_s=... first_gb_per_s=... again_s=...

#include <sys/mman.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void TouchPages(unsigned char* begin, unsigned char* end, unsigned char value) {
  for (unsigned char* p = begin; p < end; p += 4096)
    *p = value;
}

// Each thread touches its own share, as the table's block preparer does
// beside the reading thread.
void TouchAll(unsigned char* data, std::size_t size, int threads, unsigned char value) {
  std::vector<std::thread> workers;
  const std::size_t share = size / static_cast<std::size_t>(threads) / 4096 * 4096;
  for (int i = 0; i < threads; ++i) {
    unsigned char* begin = data + share * static_cast<std::size_t>(i);
    unsigned char* end = i + 1 == threads ? data + size : begin + share;
    workers.emplace_back(TouchPages, begin, end, value);
  }
  for (std::thread& worker : workers)
    worker.join();
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fresh_memory_bench <MiB> [threads]\n");
    return 2;
  }
  const std::size_t mib = std::strtoull(argv[1], nullptr, 10);
  const int threads = argc > 2 ? std::atoi(argv[2]) : 1;
  if (mib == 0 || threads < 1)
    return 2;
  const std::size_t size = mib << 20;
  const auto start = std::chrono::steady_clock::now();
  void* mapped = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
  auto* data = static_cast<unsigned char*>(mapped);
  madvise(data, size, MADV_HUGEPAGE);
  TouchAll(data, size, threads, 1);
  const double first = Seconds(start);
  const auto again_start = std::chrono::steady_clock::now();
  TouchAll(data, size, threads, 2);
  const double again = Seconds(again_start);
  std::printf("mib=%zu threads=%d first_touch_s=%.3f first_gb_per_s=%.2f again_s=%.3f\n", mib,
              threads, first, static_cast<double>(size) / 1e9 / first, again);
  munmap(data, size);
  return 0;
}
