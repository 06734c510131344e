#include "merge/line_reader.h"

#include <algorithm>
#include <cstring>

namespace merge {

namespace {

constexpr char kDataEnd = 26;

} // namespace

LineReader::LineReader(const std::string& path, std::size_t block_size)
    : file_(path), buffer_(new char[std::max<std::size_t>(block_size, 16)]),
      capacity_(std::max<std::size_t>(block_size, 16)) {}

bool LineReader::Fill() {
  if (data_ended_)
    return false;
  const std::size_t rest = end_ - pos_;
  if (pos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, rest);
    pos_ = 0;
    end_ = rest;
  }
  if (end_ == capacity_) {
    // One line longer than the block: make room for it.
    const std::size_t grown = capacity_ * 2;
    std::unique_ptr<char[]> bigger(new char[grown]);
    std::memcpy(bigger.get(), buffer_.get(), end_);
    buffer_ = std::move(bigger);
    capacity_ = grown;
  }
  const std::size_t n = file_.Read(buffer_.get() + end_, capacity_ - end_);
  if (n == 0) {
    data_ended_ = true;
    return false;
  }
  bytes_read_ += static_cast<std::int64_t>(n);
  // A byte 26 ends the data: nothing after it is ever looked at.
  if (const void* stop = std::memchr(buffer_.get() + end_, kDataEnd, n)) {
    end_ = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_.get());
    data_ended_ = true;
  } else {
    end_ += n;
  }
  return true;
}

std::string_view LineReader::NextLine() {
  std::size_t scanned = pos_; // bytes before this offset hold no LF
  const char* lf = nullptr;
  for (;;) {
    lf = static_cast<const char*>(std::memchr(buffer_.get() + scanned, '\n', end_ - scanned));
    if (lf != nullptr)
      break;
    const std::size_t line_offset = end_ - pos_;
    if (!Fill())
      break;
    scanned = pos_ + line_offset;
  }
  const char* begin = buffer_.get() + pos_;
  const char* stop = lf != nullptr ? lf : buffer_.get() + end_;
  pos_ = lf != nullptr ? static_cast<std::size_t>(lf + 1 - buffer_.get()) : end_;

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
