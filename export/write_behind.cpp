#include "export/write_behind.h"

#include <cstdlib>
#include <new>
#ifdef _WIN32
#include <malloc.h>
#endif
#include <system_error>

namespace exporter {

namespace {

// Windows' C library has no aligned_alloc: its own pair does the same.
void* AllocateAligned(std::size_t alignment, std::size_t size) {
#ifdef _WIN32
  return ::_aligned_malloc(size, alignment);
#else
  return std::aligned_alloc(alignment, size);
#endif
}

} // namespace

void WriteBehind::FreeDeleter::operator()(char* p) const {
#ifdef _WIN32
  ::_aligned_free(p);
#else
  std::free(p);
#endif
}

WriteBehind::WriteBehind(BlockWriter write, std::size_t alignment) : write_(std::move(write)) {
  for (std::size_t i = 0; i < kBufferCount; ++i) {
    void* p = AllocateAligned(alignment, kBufferSize);
    if (p == nullptr)
      throw std::bad_alloc();
    buffers_.emplace_back(static_cast<char*>(p));
    free_.push_back(buffers_.back().get());
  }
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread to be had (no memory left for its stack): every buffer is
    // written when it is submitted, and the save still goes through.
  }
}

WriteBehind::~WriteBehind() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    queued_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable())
    thread_.join();
}

void WriteBehind::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stop_ || !queued_.empty(); });
    if (queued_.empty())
      return;
    const Pending next = queued_.front();
    queued_.pop_front();
    if (!failure_) { // after a failure nothing more is written
      writing_ = true;
      lock.unlock();
      std::exception_ptr error;
      try {
        write_(next.data, next.size);
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      writing_ = false;
      if (error)
        failure_ = error;
    }
    free_.push_back(next.data);
    changed_.notify_all();
  }
}

void WriteBehind::ThrowIfFailed() {
  if (failure_)
    std::rethrow_exception(failure_);
}

char* WriteBehind::Acquire() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failure_ || !free_.empty(); });
  ThrowIfFailed();
  char* buffer = free_.front();
  free_.pop_front();
  return buffer;
}

void WriteBehind::Submit(char* buffer, std::size_t size) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (size == 0 || failure_) {
      free_.push_back(buffer);
      ThrowIfFailed();
      return;
    }
    if (!thread_.joinable()) {
      WriteNow(buffer, size);
      return;
    }
    queued_.push_back({buffer, size});
  }
  changed_.notify_all();
}

void WriteBehind::WriteNow(char* buffer, std::size_t size) {
  try {
    write_(buffer, size);
  } catch (...) {
    failure_ = std::current_exception();
  }
  free_.push_back(buffer);
  ThrowIfFailed();
}

void WriteBehind::Drain() {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failure_ || (queued_.empty() && !writing_); });
  ThrowIfFailed();
}

} // namespace exporter
