#include "merge/quoted_reader.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace merge {

namespace {

constexpr char kDataEnd = 26;
constexpr char kQuote = '"';

} // namespace

QuotedRecordReader::QuotedRecordReader(const std::string& path, std::optional<char> delimiter,
                                       std::size_t block_size, ReadProgress* progress,
                                       std::string_view long_delimiter, bool drop_utf8_bom)
    : file_(path), progress_(progress), delimiter_(delimiter.value_or('\n')),
      has_delimiter_(delimiter.has_value()), bom_pending_(drop_utf8_bom),
      capacity_(std::max<std::size_t>(block_size, 16)) {
  if (has_delimiter_ && long_delimiter.size() > 1) {
    long_delimiter_ = std::string(long_delimiter);
    delimiter_ = long_delimiter_.front();
  }
  buffer_.reset(new char[capacity_ + kPadding]);
  std::memset(buffer_.get() + capacity_, 0, kPadding);
}

bool QuotedRecordReader::Fill(std::size_t* shift) {
  *shift = 0; // nothing moves once the data has ended
  if (data_ended_)
    return false;
  *shift = pos_;
  if (pos_ > 0) {
    std::memmove(buffer_.get(), buffer_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == capacity_) {
    // One record longer than the block: make room for it.
    const std::size_t grown = capacity_ * 2;
    std::unique_ptr<char[]> bigger(new char[grown + kPadding]);
    std::memcpy(bigger.get(), buffer_.get(), end_);
    std::memset(bigger.get() + grown, 0, kPadding);
    buffer_ = std::move(bigger);
    capacity_ = grown;
  }
  const std::size_t n = file_.Read(buffer_.get() + end_, std::min(capacity_ - end_, kMaxReadSize));
  if (n == 0) {
    data_ended_ = true;
    return false;
  }
  bytes_read_ += static_cast<std::int64_t>(n);
  end_ += n;
  if (progress_ != nullptr)
    progress_->Advance(bytes_read_);
  return true;
}

std::size_t QuotedRecordReader::FindSpecial(std::size_t from) const {
  const char* const b = buffer_.get();
#ifdef __SSE2__
  // Sixteen bytes at a time; the padding after the buffer makes the last
  // load safe, and hits past the data are cut off.
  const __m128i delimiter = _mm_set1_epi8(delimiter_);
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i data_end = _mm_set1_epi8(kDataEnd);
  for (std::size_t i = from; i < end_; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, delimiter), _mm_cmpeq_epi8(bytes, lf)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, cr), _mm_cmpeq_epi8(bytes, data_end)));
    const auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    if (mask != 0)
      return std::min(end_, i + static_cast<std::size_t>(__builtin_ctz(mask)));
  }
  return end_;
#else
  for (std::size_t i = from; i < end_; ++i) {
    const char c = b[i];
    if (c == delimiter_ || c == '\n' || c == '\r' || c == kDataEnd)
      return i;
  }
  return end_;
#endif
}

void QuotedRecordReader::DropUtf8Bom() {
  bom_pending_ = false;
  std::size_t shift = 0;
  while (end_ - pos_ < platform::kUtf8Bom.size() && Fill(&shift)) {
  }
  if (platform::StartsWithUtf8Bom(std::string_view(buffer_.get() + pos_, end_ - pos_)))
    pos_ += platform::kUtf8Bom.size();
}

void QuotedRecordReader::NextRecord(std::vector<std::string_view>& fields) {
  if (bom_pending_)
    DropUtf8Bom();
  enum class State { kFieldStart, kPlain, kQuoted };
  State state = State::kFieldStart;
  // Each field is unquoted in place: its text is written from its first byte
  // on (at w) while it is read (at r), never growing, so a field that needs
  // no change costs no copy.
  std::size_t r = pos_;
  std::size_t w = pos_;
  std::size_t field = pos_;
  bool open = false; // the current field has begun: a byte other than CR, or its quote
  spans_.clear();
  const auto take = [&](std::size_t to) {
    if (w != r)
      std::memmove(buffer_.get() + w, buffer_.get() + r, to - r);
    w += to - r;
    r = to;
  };
  const auto fill = [&] {
    std::size_t shift = 0;
    const bool more = Fill(&shift);
    r -= shift;
    w -= shift;
    field -= shift;
    return more;
  };

  for (;;) {
    if (r == end_ && !fill()) {
      if (state == State::kQuoted)
        quote_left_open_ = true;
      break;
    }
    char* const b = buffer_.get();
    if (state == State::kFieldStart) {
      if (b[r] == '\r') {
        ++r; // a CR outside quotes disappears
        continue;
      }
      field = w = r;
      if (b[r] == kQuote && !(has_delimiter_ && delimiter_ == kQuote)) {
        ++r;
        field = w = r;
        open = true;
        state = State::kQuoted;
      } else {
        state = State::kPlain;
      }
      continue;
    }
    if (state == State::kPlain) {
      const std::size_t hit = FindSpecial(r);
      if (hit != r) {
        take(hit);
        open = true;
      }
      if (r == end_)
        continue;
      const char c = b[r];
      if (c == '\n') {
        ++r;
        break;
      }
      if (c == kDataEnd) {
        end_ = r; // nothing after it is ever looked at
        data_ended_ = true;
        break;
      }
      if (c == delimiter_ && !long_delimiter_.empty()) {
        // Only the whole character splits; its first byte alone is text.
        if (end_ - r < long_delimiter_.size() && fill())
          continue;
        if (end_ - r < long_delimiter_.size() ||
            std::memcmp(b + r, long_delimiter_.data(), long_delimiter_.size()) != 0) {
          take(r + 1);
          open = true;
          continue;
        }
        r += long_delimiter_.size() - 1;
      }
      ++r;
      if (c == '\r')
        continue;
      spans_.emplace_back(field - pos_, w - field); // the delimiter closes the field
      open = false;
      state = State::kFieldStart;
      continue;
    }
    // Inside quotes only a quote means anything.
    const void* quote = std::memchr(b + r, kQuote, end_ - r);
    take(quote != nullptr ? static_cast<std::size_t>(static_cast<const char*>(quote) - b) : end_);
    if (r == end_)
      continue;
    if (r + 1 == end_) {
      // Whether the quote is doubled shows only in the next byte.
      if (fill())
        continue;
      ++r; // the file ends right after it: it closes the field
      state = State::kPlain;
      continue;
    }
    if (buffer_[r + 1] == kQuote) {
      buffer_[w++] = kQuote;
      r += 2;
      continue;
    }
    ++r; // the closing quote; what follows up to the delimiter is kept as it is
    state = State::kPlain;
  }
  if (open)
    spans_.emplace_back(field - pos_, w - field);

  const char* const record = buffer_.get() + pos_;
  fields.resize(spans_.size());
  for (std::size_t i = 0; i < spans_.size(); ++i)
    fields[i] = std::string_view(record + spans_[i].first, spans_[i].second);
  pos_ = r;
}

bool QuotedRecordReader::AtDataEnd() {
  std::size_t shift = 0;
  while (pos_ >= end_) {
    if (!Fill(&shift))
      return true;
  }
  if (buffer_[pos_] == kDataEnd) {
    end_ = pos_;
    data_ended_ = true;
    return true;
  }
  return false;
}

} // namespace merge
