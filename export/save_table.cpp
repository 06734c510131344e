#include "export/save_table.h"

#include "export/cell_encoder.h"
#include "export/output_buffer.h"
#include "export/plain_line.h"
#include "merge/result_table.h"
#include "platform/errors.h"
#include "platform/progress.h"

#include <algorithm>
#include <cstring>

namespace exporter {

namespace {

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

} // namespace

void SaveTable(const merge::ResultTable& table, const std::string& file_name,
               const SaveOptions& options, platform::Progress* progress) {
  // An empty name names no file: refused before anything is opened.
  if (file_name.empty())
    throw platform::FileError(platform::kPathNotFound);
  // Nor does a name with a line break (typed or pasted into Edit1): init.ini
  // could not give it back.
  if (file_name.find_first_of("\r\n") != std::string::npos)
    throw platform::FileError(platform::kPathNotFound);
  WriteTable(table, OutputPlace{file_name, false}, options, progress);
}

void WriteTable(const merge::ResultTable& table, const OutputPlace& place,
                const SaveOptions& options, platform::Progress* progress) {
  const CellEncoder encoder(options.delimiter, options.escape, options.utf8);
  WriteOutput(place, progress,
              [&](OutputBuffer& out) { WriteRows(table, options.delimiter, encoder, out); });
}

} // namespace exporter
