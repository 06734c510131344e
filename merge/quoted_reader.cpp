#include "merge/quoted_reader.h"

#include "platform/utf8.h"

#include <algorithm>
#include <cstring>

namespace merge {

namespace {

constexpr char kDataEnd = 26;
constexpr char kQuote = '"';

} // namespace

QuotedRecordReader::QuotedRecordReader(const std::string& path, std::optional<char> delimiter,
                                       std::size_t block_size, ReadProgress* progress,
                                       std::string_view long_delimiter, bool drop_utf8_bom)
    : QuotedRecordReader(std::make_unique<platform::ReadOnlyFile>(path), nullptr, delimiter,
                         block_size, progress, long_delimiter, drop_utf8_bom) {}

QuotedRecordReader::QuotedRecordReader(platform::ReadOnlyFile& file, std::optional<char> delimiter,
                                       std::size_t block_size, ReadProgress* progress,
                                       std::string_view long_delimiter, bool drop_utf8_bom)
    : QuotedRecordReader(nullptr, &file, delimiter, block_size, progress, long_delimiter,
                         drop_utf8_bom) {}

QuotedRecordReader::QuotedRecordReader(std::unique_ptr<platform::ReadOnlyFile> owned,
                                       platform::ReadOnlyFile* lent, std::optional<char> delimiter,
                                       std::size_t block_size, ReadProgress* progress,
                                       std::string_view long_delimiter, bool drop_utf8_bom)
    : owned_file_(std::move(owned)), file_(lent != nullptr ? *lent : *owned_file_),
      progress_(progress), delimiter_(delimiter.value_or('\n')),
      has_delimiter_(delimiter.has_value()), bom_pending_(drop_utf8_bom),
      capacity_(std::max<std::size_t>(block_size, 16)) {
  if (has_delimiter_ && long_delimiter.size() > 1) {
    long_delimiter_ = std::string(long_delimiter);
    delimiter_ = long_delimiter_.front();
  }
  quotes_ = !(has_delimiter_ && delimiter_ == kQuote);
  // LF, CR and byte 26 keep their own meaning even as the delimiter.
  if (has_delimiter_ && delimiter_ != '\n' && delimiter_ != '\r' && delimiter_ != kDataEnd)
    split_byte_ = static_cast<unsigned char>(delimiter_);
  marker_ = RecordByteMasks(delimiter_);
  buffer_.reset(new char[capacity_ + kPadding]);
  std::memset(buffer_.get() + capacity_, 0, kPadding);
}

bool QuotedRecordReader::Fill(std::size_t* shift) {
  *shift = 0; // nothing moves once the data has ended
  if (data_ended_)
    return false;
  *shift = pos_;
  window_ = MarkedWindow(); // the bytes marked move, or more come after them
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
  bytes_read_ = file_.Position(); // the file's own bytes, however decoded
  end_ += n;
  if (progress_ != nullptr)
    progress_->Advance(bytes_read_);
  return true;
}

void QuotedRecordReader::DropUtf8Bom() {
  bom_pending_ = false;
  std::size_t shift = 0;
  while (end_ - pos_ < platform::kUtf8Bom.size() && Fill(&shift)) {
  }
  if (platform::StartsWithUtf8Bom(std::string_view(buffer_.get() + pos_, end_ - pos_)))
    pos_ += platform::kUtf8Bom.size();
}

void QuotedRecordReader::StepOverLfAfterCr() {
  after_cr_ = false;
  std::size_t shift = 0;
  while (pos_ >= end_ && Fill(&shift)) {
  }
  if (pos_ < end_ && buffer_[pos_] == '\n')
    ++pos_;
}

void QuotedRecordReader::NextRecord(std::vector<std::string_view>& fields) {
  if (bom_pending_)
    DropUtf8Bom();
  if (after_cr_)
    StepOverLfAfterCr();
  enum class State { kFieldStart, kPlain, kQuoted };
  State state = State::kFieldStart;
  // Each field is unquoted in place: its text is written from its first byte
  // on (at w) while it is read (at r), never growing, so a field that needs
  // no change costs no copy. The walk goes on from s: a '"' inside an
  // unquoted field, or a long delimiter's first byte alone, is text and
  // stays where it is. All of these are kept in locals: the field list's
  // stores could otherwise alias the members.
  std::size_t r = pos_;
  std::size_t w = pos_;
  std::size_t s = pos_;
  std::size_t field = pos_;
  std::size_t count = 0;
  std::size_t end = end_;
  char* b = buffer_.get();
  MarkedWindow window = window_;
  const int split = split_byte_;
  const std::size_t long_size = long_delimiter_.size();
  const auto take = [&](std::size_t to) {
    if (w != r && to != r)
      std::memmove(b + w, b + r, to - r);
    w += to - r;
    r = to;
  };
  // The fields are written over the list's old entries, through locals: the
  // list is trimmed once, at the record's end.
  std::string_view* out = fields.data();
  std::size_t room = fields.size();
  const auto add_field = [&] {
    if (count == room) {
      fields.resize(count * 2 + 16);
      out = fields.data();
      room = fields.size();
    }
    out[count++] = std::string_view(b + field, w - field);
  };
  // How close to the end of the data held a special byte may stand before
  // what it means depends on bytes not read yet: a quote inside quotes (is
  // it doubled?) and a long delimiter's first byte (is the rest there?).
  const std::size_t look_ahead = std::max<std::size_t>(2, long_size);

  for (;;) {
    if (state == State::kFieldStart && long_size == 0) {
      // The common run: fields of plain text where they stand (field == w
      // == r; the text so far is [field, s)), each closed by a one-byte
      // delimiter, the last by LF. Anything else is left to the steps below.
      enum class Run { kGoesOn, kStopped, kRecordEnded } run = Run::kGoesOn;
      while (s < end && run == Run::kGoesOn) {
        if (s < window.from || s >= window.end)
          marker_.MarkAt(window, b, end, s);
        std::uint64_t bits = window.masks.special & (~std::uint64_t{0} << (s - window.from));
        s = window.end; // unless a byte below stops the run first
        for (; bits != 0; bits &= bits - 1) {
          const std::size_t p = window.from + static_cast<std::size_t>(__builtin_ctzll(bits));
          const auto c = static_cast<unsigned char>(b[p]);
          if (c == split) {
            w = p;
            add_field();
            field = p + 1;
            continue;
          }
          if (c == '\n') {
            w = p;
            if (p != field || count > 0) // a delimiter before it opened a last field
              add_field();
            s = p + 1;
            run = Run::kRecordEnded;
            break;
          }
          if (c != kQuote || p == field) {
            s = p;
            run = Run::kStopped;
            break;
          }
          // a quote inside a field's text
        }
      }
      if (run == Run::kRecordEnded) {
        r = s;
        break;
      }
      w = r = field;
    }
    const std::size_t p = marker_.Next(window, b, end, s, state == State::kQuoted);
    if (end - p < look_ahead && !data_ended_ &&
        (p == end ||
         (state == State::kQuoted ? p + 1 == end
                                  : (static_cast<unsigned char>(b[p]) == split && long_size != 0) ||
                                        (b[p] == kDataEnd && p + 1 == end)))) {
      // Reads more after the record's bytes, which move to the buffer's
      // start: the fields found so far move with them.
      if (spans_.size() < count)
        spans_.resize(count);
      for (std::size_t i = 0; i < count; ++i)
        spans_[i] = {static_cast<std::size_t>(fields[i].data() - b), fields[i].size()};
      std::size_t shift = 0;
      end_ = end;
      Fill(&shift);
      end = end_;
      b = buffer_.get();
      window = MarkedWindow();
      r -= shift;
      w -= shift;
      s -= shift;
      field -= shift;
      for (std::size_t i = 0; i < count; ++i)
        fields[i] = std::string_view(b + spans_[i].first - shift, spans_[i].second);
      continue;
    }
    if (p == end) { // the end of the file
      take(p);
      if (state == State::kQuoted)
        quote_left_open_ = true;
      if (state != State::kFieldStart || field != r || count > 0)
        add_field();
      break;
    }
    const char c = b[p];
    if (state == State::kQuoted) {
      // Inside quotes only a quote means anything.
      if (p + 1 < end && b[p + 1] == kQuote) {
        take(p + 1);
        r = s = p + 2;
        continue;
      }
      take(p); // the closing quote; what follows up to the delimiter is kept as it is
      r = s = p + 1;
      state = State::kPlain;
      continue;
    }
    if (static_cast<unsigned char>(c) == split) {
      if (long_size != 0) {
        // Only the whole character splits; its first byte alone is text.
        if (end - p < long_size || std::memcmp(b + p, long_delimiter_.data(), long_size) != 0) {
          s = p + 1;
          state = State::kPlain;
          continue;
        }
      }
      take(p);
      add_field(); // the delimiter closes the field, empty or not
      field = w = r = s = p + (long_size != 0 ? long_size : 1);
      state = State::kFieldStart;
      continue;
    }
    if (state == State::kFieldStart && p != r)
      state = State::kPlain; // the field has begun with text
    if (c == '\n' || c == '\r') {
      // A CR alone ends a record too; the LF of a CR LF is stepped over
      // before the next one.
      take(p);
      r = s = p + 1;
      after_cr_ = c == '\r';
      if (state != State::kFieldStart || count > 0)
        add_field();
      break;
    }
    if (c == kQuote && state == State::kFieldStart && quotes_) {
      field = w = r = s = p + 1;
      state = State::kQuoted;
      continue;
    }
    if (c == kDataEnd && p + 1 == end) {
      // Only as the file's last byte: the old end-of-file mark.
      take(p);
      end = p; // nothing after it is ever looked at
      data_ended_ = true;
      if (state != State::kFieldStart || count > 0)
        add_field();
      break;
    }
    // A quote that does not begin a field is text, and so is a byte 26
    // before the last byte.
    s = p + 1;
    state = State::kPlain;
  }
  fields.resize(count);
  pos_ = r;
  end_ = end;
  window_ = window;
}

bool QuotedRecordReader::AtDataEnd() {
  if (after_cr_)
    StepOverLfAfterCr();
  std::size_t shift = 0;
  while (pos_ >= end_) {
    if (!Fill(&shift))
      return true;
  }
  if (buffer_[pos_] != kDataEnd)
    return false;
  // A byte 26 ends the data only as the file's last byte.
  while (pos_ + 1 >= end_ && Fill(&shift)) {
  }
  if (pos_ + 1 < end_)
    return false;
  end_ = pos_;
  data_ended_ = true;
  return true;
}

} // namespace merge
