#include "merge/line_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace merge {

namespace {

constexpr char kDataEnd = 26;

} // namespace

LineReader::LineReader(const std::string& path, std::size_t block_size, ReadProgress* progress)
    : file_(path), progress_(progress), buffer_(nullptr),
      capacity_(std::max<std::size_t>(block_size, 16)) {
  buffer_ = static_cast<char*>(std::malloc(capacity_));
  if (buffer_ == nullptr)
    throw std::bad_alloc();
}

LineReader::~LineReader() {
  std::free(buffer_);
}

bool LineReader::Fill() {
  if (data_ended_)
    return false;
  const std::size_t rest = end_ - pos_;
  if (pos_ > 0) {
    std::memmove(buffer_, buffer_ + pos_, rest);
    pos_ = 0;
    end_ = rest;
  }
  if (end_ == capacity_) {
    // One line longer than the block: make room for it.
    const std::size_t grown = capacity_ * 2;
    void* bigger = std::realloc(buffer_, grown);
    if (bigger == nullptr)
      throw std::bad_alloc();
    buffer_ = static_cast<char*>(bigger);
    capacity_ = grown;
  }
  const std::size_t n = file_.Read(buffer_ + end_, std::min(capacity_ - end_, kMaxReadSize));
  if (n == 0) {
    data_ended_ = true;
    return false;
  }
  bytes_read_ += static_cast<std::int64_t>(n);
  // A byte 26 ends the data: nothing after it is ever looked at.
  if (const void* stop = std::memchr(buffer_ + end_, kDataEnd, n)) {
    end_ = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_);
    data_ended_ = true;
  } else {
    end_ += n;
  }
  if (progress_ != nullptr)
    progress_->Advance(bytes_read_);
  return true;
}

std::string_view LineReader::NextLine() {
  std::size_t scanned = pos_; // bytes before this offset hold no LF
  const char* lf = nullptr;
  for (;;) {
    lf = static_cast<const char*>(std::memchr(buffer_ + scanned, '\n', end_ - scanned));
    if (lf != nullptr)
      break;
    const std::size_t line_offset = end_ - pos_;
    if (!Fill())
      break;
    scanned = pos_ + line_offset;
  }
  const char* begin = buffer_ + pos_;
  const char* stop = lf != nullptr ? lf : buffer_ + end_;
  pos_ = lf != nullptr ? static_cast<std::size_t>(lf + 1 - buffer_) : end_;

  std::size_t length = static_cast<std::size_t>(stop - begin);
  if (length > 0 && begin[length - 1] == '\r')
    --length;
  const void* cr = std::memchr(begin, '\r', length);
  if (cr == nullptr)
    return std::string_view(begin, length);
  // A CR inside the line: it does not end the line, it just disappears.
  scratch_.assign(begin, static_cast<const char*>(cr));
  for (const char* p = static_cast<const char*>(cr) + 1; p < begin + length; ++p) {
    if (*p != '\r')
      scratch_.push_back(*p);
  }
  return scratch_;
}

bool LineReader::AtDataEnd() {
  while (pos_ >= end_) {
    if (!Fill())
      return true;
  }
  return false;
}

} // namespace merge
