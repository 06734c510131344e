#include "export/save_table.h"

#include "export/cell_encoder.h"
#include "export/output_buffer.h"
#include "export/plain_line.h"
#include "export/quote_cell.h"
#include "export/utf8_table_cells.h"
#include "merge/result_table.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace exporter {

namespace {

// One row, cell by cell. kPlain: the cells are copied as they stand (no
// escape, no UTF-8); kQuote: a cell that needs it is quoted first, and the
// delimiter stands between cells rather than after each, so that a CSV
// reader finds exactly the table's columns. Both decided once per save
// rather than once per cell.
template <bool kPlain, bool kQuote = false>
void WriteRowByCells(const merge::ResultTable& table, std::int32_t row, std::int32_t col_count,
                     char delimiter, const CellEncoder& encoder, OutputBuffer& out,
                     Utf8TableCells* utf8_cells = nullptr) {
  // The delimiters written so far in this row: before the cell of column c
  // stand c of them (and after it one more unless kQuote).
  std::int32_t next_col = 0;
  std::string quoted;
  table.ForEachCellInRow(row, 0, col_count, [&](std::int32_t col, std::string_view text) {
    if (!kPlain && utf8_cells != nullptr)
      text = utf8_cells->Prepare(text, col, row);
    if (kQuote && NeedsQuotes(text, delimiter)) {
      quoted = QuoteCell(text, delimiter);
      text = quoted;
    }
    const auto empty_cells = static_cast<std::size_t>(col - next_col);
    next_col = kQuote ? col : col + 1;
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
      if (!kQuote)
        *pos++ = delimiter;
      out.Pos() = pos;
      return;
    }
    out.PutRepeated(delimiter, empty_cells);
    out.PutCell(text, encoder);
    if (!kQuote)
      out.Put(delimiter);
  });
  const std::int32_t delimiters = kQuote ? std::max(col_count - 1, 0) : col_count;
  out.PutRepeated(delimiter, static_cast<std::size_t>(delimiters - next_col));
  out.PutLineEnd();
}

void WriteRows(const merge::ResultTable& table, char delimiter, const CellEncoder& encoder,
               bool quote, OutputBuffer& out, Utf8TableCells* utf8_cells) {
  const std::int32_t col_count = table.ColCount();
  const std::int32_t row_count = table.RowCount();
  // A UTF-8 table's cells that need preparing go cell by cell.
  const bool plain = encoder.IsPlain() && utf8_cells == nullptr;
  for (std::int32_t row = 0; row < row_count; ++row) {
    out.SetPartsDone(row, row_count);
    if (quote) {
      WriteRowByCells<false, true>(table, row, col_count, delimiter, encoder, out, utf8_cells);
    } else if (plain) {
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
      WriteRowByCells<false>(table, row, col_count, delimiter, encoder, out, utf8_cells);
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
  // Quoting takes the place of the escape; a quote as the delimiter leaves
  // nothing that quotes could protect.
  const bool quote = options.quote && options.delimiter != '"';
  const bool utf8_table = table.Encoding() == merge::TextEncoding::kUtf8;
  std::optional<Utf8TableCells> utf8_cells;
  if (utf8_table)
    utf8_cells.emplace(options.delimiter, options.escape && !quote, options.utf8, options.report,
                       table.MayHoldInvalidUtf8());
  if (utf8_cells && !utf8_cells->Needed())
    utf8_cells.reset();
  // A UTF-8 table's cells are UTF-8 already: the encoder only escapes.
  const CellEncoder encoder(utf8_cells ? utf8_cells->EncoderDelimiter() : options.delimiter,
                            options.escape && !quote, options.utf8 && !utf8_table);
  WriteOutput(place, progress, [&](OutputBuffer& out) {
    if (options.utf8 && options.bom) {
      for (const char ch : platform::kUtf8Bom)
        out.Put(ch);
    }
    WriteRows(table, options.delimiter, encoder, quote, out, utf8_cells ? &*utf8_cells : nullptr);
  });
}

} // namespace exporter
