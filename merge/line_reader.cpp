#include "merge/line_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace merge {

namespace {

constexpr char kDataEnd = 26;

} // namespace

LineBuffer::LineBuffer(std::size_t capacity)
    : data_(static_cast<char*>(std::malloc(capacity))), capacity_(capacity) {
  if (data_ == nullptr)
    throw std::bad_alloc();
}

LineBuffer::~LineBuffer() {
  std::free(data_);
}

void LineBuffer::Grow() {
  const std::size_t grown = capacity_ * 2;
  void* bigger = std::realloc(data_, grown);
  if (bigger == nullptr)
    throw std::bad_alloc();
  data_ = static_cast<char*>(bigger);
  capacity_ = grown;
}

LineReader::LineReader(const std::string& path, std::size_t block_size, ReadProgress* progress)
    : file_(path), progress_(progress),
      owned_(std::make_unique<LineBuffer>(std::max<std::size_t>(block_size, 16))),
      buffer_(*owned_) {}

LineReader::LineReader(const std::string& path, LineBuffer& buffer, ReadProgress* progress,
                       platform::ReadOnlyFile::Missing missing)
    : file_(path, missing), progress_(progress), buffer_(buffer) {}

LineReader::~LineReader() = default;

bool LineReader::Fill() {
  if (data_ended_)
    return false;
  char* const data = buffer_.data();
  const std::size_t rest = end_ - pos_;
  if (pos_ > 0) {
    std::memmove(data, data + pos_, rest);
    pos_ = 0;
    end_ = rest;
  }
  if (end_ == buffer_.capacity())
    buffer_.Grow(); // one line longer than the block: make room for it
  char* const buffer = buffer_.data();
  const std::size_t n =
      file_.Read(buffer + end_, std::min(buffer_.capacity() - end_, kMaxReadSize));
  if (n == 0) {
    data_ended_ = true;
    return false;
  }
  bytes_read_ = file_.Position(); // the file's own bytes, however decoded
  // A byte 26 ends the data: nothing after it is ever looked at.
  if (const void* stop = std::memchr(buffer + end_, kDataEnd, n)) {
    const auto at = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer);
    // Bytes after it, in this read or still in the file, are lost.
    cut_at_end_mark_ = at + 1 < end_ + n || bytes_read_ < file_.SizeHint() || file_.HoldsDecoded();
    end_ = at;
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
    lf = static_cast<const char*>(std::memchr(buffer_.data() + scanned, '\n', end_ - scanned));
    if (lf != nullptr)
      break;
    const std::size_t line_offset = end_ - pos_;
    if (!Fill())
      break;
    scanned = pos_ + line_offset;
  }
  const char* const buffer = buffer_.data();
  const char* begin = buffer + pos_;
  const char* stop = lf != nullptr ? lf : buffer + end_;
  pos_ = lf != nullptr ? static_cast<std::size_t>(lf + 1 - buffer) : end_;

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
