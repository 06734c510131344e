#include "export/save_table.h"

#include "export/cell_encoder.h"
#include "export/replacing_file.h"
#include "merge/progress.h"
#include "merge/result_table.h"
#include "platform/errors.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace exporter {

namespace {

constexpr std::size_t kBufferSize = std::size_t{4} << 20;

// Fills a large buffer and hands it to the file when full; tells the
// progress how far it got and asks it whether to go on.
class OutputBuffer {
public:
  OutputBuffer(ReplacingFile& file, merge::Progress* progress)
      : file_(file), progress_(progress), data_(new char[kBufferSize]) {}

  void Put(char ch) {
    if (used_ == kBufferSize)
      Flush();
    data_[used_++] = ch;
  }

  void PutLineEnd() {
    if (kBufferSize - used_ < 2)
      Flush();
    data_[used_++] = '\r';
    data_[used_++] = '\n';
  }

  void PutRepeated(char ch, std::size_t count) {
    while (count > 0) {
      if (used_ == kBufferSize)
        Flush();
      const std::size_t n = std::min(count, kBufferSize - used_);
      std::memset(data_.get() + used_, ch, n);
      used_ += n;
      count -= n;
    }
  }

  void PutCell(std::string_view text, const CellEncoder& encoder) {
    while (!text.empty()) {
      const std::size_t room = (kBufferSize - used_) / CellEncoder::kMaxBytesPerByte;
      if (room == 0) {
        Flush();
        continue;
      }
      const std::string_view part = text.substr(0, room);
      char* const start = data_.get() + used_;
      used_ += static_cast<std::size_t>(encoder.Encode(part, start) - start);
      text.remove_prefix(part.size());
    }
  }

  void Flush() {
    file_.Write(data_.get(), used_);
    written_ += static_cast<std::int64_t>(used_);
    used_ = 0;
    if (progress_ != nullptr) {
      progress_->BytesDone(written_);
      if (progress_->CancelRequested())
        throw merge::Cancelled();
    }
  }

private:
  ReplacingFile& file_;
  merge::Progress* progress_;
  std::unique_ptr<char[]> data_;
  std::size_t used_ = 0;
  std::int64_t written_ = 0;
};

void WriteRows(const merge::ResultTable& table, char delimiter, const CellEncoder& encoder,
               OutputBuffer& out) {
  const std::int32_t col_count = table.ColCount();
  const std::int32_t row_count = table.RowCount();
  for (std::int32_t row = 0; row < row_count; ++row) {
    std::int32_t next_col = 0;
    table.ForEachCellInRow(row, 0, col_count, [&](std::int32_t col, std::string_view text) {
      out.PutRepeated(delimiter, static_cast<std::size_t>(col - next_col)); // empty cells
      out.PutCell(text, encoder);
      out.Put(delimiter);
      next_col = col + 1;
    });
    out.PutRepeated(delimiter, static_cast<std::size_t>(col_count - next_col));
    out.PutLineEnd();
  }
}

[[noreturn]] void ThrowSaveError(const ReplaceFailure& failure, const std::string& file_name) {
  if (failure.stage == ReplaceFailure::kLocked)
    throw platform::FileError(platform::kSharingViolation);
  platform::ThrowFileErrorFromErrno(failure.error, file_name);
}

} // namespace

void SaveTable(const merge::ResultTable& table, const std::string& file_name, char delimiter,
               bool escape, bool utf8, merge::Progress* progress) {
  // An empty name names no file: refused before anything is opened.
  if (file_name.empty())
    throw platform::FileError(platform::kPathNotFound);
  const CellEncoder encoder(delimiter, escape, utf8);
  try {
    ReplacingFile file(file_name);
    if (progress != nullptr)
      progress->FileStarted(file_name, -1);
    OutputBuffer out(file, progress);
    WriteRows(table, delimiter, encoder, out);
    out.Flush();
    file.Commit();
  } catch (const ReplaceFailure& failure) {
    ThrowSaveError(failure, file_name);
  }
}

} // namespace exporter
