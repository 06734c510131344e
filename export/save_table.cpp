#include "export/save_table.h"

#include "export/cell_encoder.h"
#include "export/plain_line.h"
#include "merge/result_table.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "platform/replacing_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <future>
#include <memory>

namespace exporter {

using platform::ReplaceFailure;
using platform::ReplacingFile;

namespace {

constexpr std::size_t kBufferSize = std::size_t{4} << 20;

// Fills one large buffer while the other is being written, so that building
// the text and the kernel's copy into the file overlap; tells the progress
// how far it got and asks it whether to go on.
class OutputBuffer {
public:
  OutputBuffer(ReplacingFile& file, platform::Progress* progress)
      : file_(file), progress_(progress), filling_(AlignedBuffer()), writing_(AlignedBuffer()),
        pos_(filling_.get()), end_(pos_ + kBufferSize) {}

  ~OutputBuffer() {
    if (pending_.valid())
      pending_.wait(); // the buffers must outlive the write; its error is moot now
  }

  std::size_t Room() const { return static_cast<std::size_t>(end_ - pos_); }
  char*& Pos() { return pos_; }

  void Put(char ch) {
    if (pos_ == end_)
      Flush();
    *pos_++ = ch;
  }

  void PutLineEnd() {
    if (Room() < 2)
      Flush();
    *pos_++ = '\r';
    *pos_++ = '\n';
  }

  void PutRepeated(char ch, std::size_t count) {
    while (count > 0) {
      if (pos_ == end_)
        Flush();
      const std::size_t n = std::min(count, Room());
      std::memset(pos_, ch, n);
      pos_ += n;
      count -= n;
    }
  }

  void PutCell(std::string_view text, const CellEncoder& encoder) {
    while (!text.empty()) {
      const std::size_t room = Room() / CellEncoder::kMaxBytesPerByte;
      if (room == 0) {
        Flush();
        continue;
      }
      const std::string_view part = text.substr(0, room);
      pos_ = encoder.Encode(part, pos_);
      text.remove_prefix(part.size());
    }
  }

  // Hands the filled buffer to the writer and goes on with the other one.
  void Flush() { HandOver(false); }

  // Writes what is left and waits until all of it is in the file.
  void Finish() {
    HandOver(true);
    WaitForWrite();
  }

private:
  struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
  };
  using Buffer = std::unique_ptr<char[], FreeDeleter>;

  static Buffer AlignedBuffer() {
    void* p = std::aligned_alloc(ReplacingFile::kDirectAlignment, kBufferSize);
    if (p == nullptr)
      throw std::bad_alloc();
    return Buffer(static_cast<char*>(p));
  }

  // The writer gets whole blocks (so that they can go past the page cache);
  // the bytes of a last, partial block move to the front of the next buffer,
  // except at the end, where everything goes.
  void HandOver(bool last) {
    WaitForWrite();
    std::swap(filling_, writing_);
    const auto size = static_cast<std::size_t>(pos_ - writing_.get());
    const std::size_t whole = last ? size : size - size % ReplacingFile::kDirectAlignment;
    const std::size_t carried = size - whole;
    std::memcpy(filling_.get(), writing_.get() + whole, carried);
    if (whole > 0)
      pending_ =
          std::async(std::launch::async, [this, whole] { file_.Write(writing_.get(), whole); });
    handed_ += static_cast<std::int64_t>(whole);
    pos_ = filling_.get() + carried;
    end_ = filling_.get() + kBufferSize;
    if (progress_ != nullptr) {
      progress_->BytesDone(handed_);
      if (progress_->CancelRequested())
        throw platform::Cancelled();
    }
  }

  void WaitForWrite() {
    if (pending_.valid())
      pending_.get(); // rethrows the writer's failure
  }

  ReplacingFile& file_;
  platform::Progress* progress_;
  Buffer filling_;
  Buffer writing_;
  char* pos_;
  char* end_;
  std::future<void> pending_;
  std::int64_t handed_ = 0;
};

// One row, cell by cell. kPlain: the cells are copied as they stand (no
// escape, no UTF-8), decided once per save rather than once per cell.
template <bool kPlain>
void WriteRowByCells(const merge::ResultTable& table, std::int32_t row, std::int32_t col_count,
                     char delimiter, const CellEncoder& encoder, OutputBuffer& out) {
  std::int32_t next_col = 0;
  table.ForEachCellInRow(row, 0, col_count, [&](std::int32_t col, std::string_view text) {
    const auto empty_cells = static_cast<std::size_t>(col - next_col);
    next_col = col + 1;
    const std::size_t max_size = kPlain ? text.size() : text.size() * CellEncoder::kMaxBytesPerByte;
    if (empty_cells + max_size < out.Room()) {
      // The common case: everything fits, written in place.
      char* pos = out.Pos();
      if (empty_cells != 0) {
        std::memset(pos, delimiter, empty_cells);
        pos += empty_cells;
      }
      if (kPlain) {
        std::memcpy(pos, text.data(), text.size());
        pos += text.size();
      } else {
        pos = encoder.Encode(text, pos);
      }
      *pos++ = delimiter;
      out.Pos() = pos;
      return;
    }
    out.PutRepeated(delimiter, empty_cells);
    out.PutCell(text, encoder);
    out.Put(delimiter);
  });
  out.PutRepeated(delimiter, static_cast<std::size_t>(col_count - next_col));
  out.PutLineEnd();
}

void WriteRows(const merge::ResultTable& table, char delimiter, const CellEncoder& encoder,
               OutputBuffer& out) {
  const std::int32_t col_count = table.ColCount();
  const std::int32_t row_count = table.RowCount();
  const bool plain = encoder.IsPlain();
  for (std::int32_t row = 0; row < row_count; ++row) {
    if (plain) {
      // A plain line straight from the stored row, far faster than cell by cell;
      // a line longer than the buffer's room goes cell by cell.
      std::size_t n = JoinPlainLine(table, row, col_count, delimiter, out.Pos(), out.Room());
      if (n == kNoRoom) {
        out.Flush();
        n = JoinPlainLine(table, row, col_count, delimiter, out.Pos(), out.Room());
      }
      if (n != kNoRoom) {
        out.Pos() += n;
        out.PutLineEnd();
      } else {
        WriteRowByCells<true>(table, row, col_count, delimiter, encoder, out);
      }
    } else {
      WriteRowByCells<false>(table, row, col_count, delimiter, encoder, out);
    }
  }
}

[[noreturn]] void ThrowSaveError(const ReplaceFailure& failure, const std::string& file_name) {
  if (failure.stage == ReplaceFailure::kLocked)
    throw platform::FileError(platform::kSharingViolation, 0, file_name);
  platform::ThrowFileErrorFromErrno(failure.error, file_name);
}

} // namespace

void SaveTable(const merge::ResultTable& table, const std::string& file_name,
               const SaveOptions& options, platform::Progress* progress) {
  // An empty name names no file: refused before anything is opened.
  if (file_name.empty())
    throw platform::FileError(platform::kPathNotFound);
  const CellEncoder encoder(options.delimiter, options.escape, options.utf8);
  try {
    ReplacingFile file(file_name);
    if (progress != nullptr)
      progress->FileStarted(file_name, -1);
    OutputBuffer out(file, progress);
    WriteRows(table, options.delimiter, encoder, out);
    out.Finish();
    file.Commit();
  } catch (const ReplaceFailure& failure) {
    ThrowSaveError(failure, file_name);
  }
}

} // namespace exporter
