#pragma once
// What the collect drivers share: the extents as a placement grows them,
// the name cell that closes a row, placing one row, and reading one file's
// records with the reader the options choose.

#include "merge/collect.h"
#include "merge/extents.h"
#include "merge/read_progress.h"
#include "merge/read_quoted_source_file.h"
#include "merge/read_source_file.h"
#include "merge/result_table.h"
#include "merge/source_decoder.h"
#include "merge/split_line.h"
#include "merge/table_encoding.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {
namespace collect_rows {

// The extents as a placement grows them, kept in plain integers while a file
// is placed and written back to the table when it ends, error or not. Only
// ever raised, so writing them back late changes nothing else.
class GrowingExtents {
public:
  explicit GrowingExtents(ResultTable& table)
      : table_(table), col_count_(table.ColCount()), row_count_(table.RowCount()) {}
  ~GrowingExtents() { WriteBack(); }
  GrowingExtents(const GrowingExtents&) = delete;
  GrowingExtents& operator=(const GrowingExtents&) = delete;

  void TakeRow(std::int32_t row) {
    if (row >= row_count_)
      row_count_ = row + 1;
  }
  // Fields at columns first .. first + count - 1, one after the other.
  void TakeFields(std::int32_t first, std::int32_t count) {
    col_count_ = ColCountAfterFields(col_count_, first, count);
  }
  void TakeNameCell(std::int32_t col) { col_count_ = ColCountAfterNameCell(col_count_, col); }
  void WriteBack() {
    if (col_count_ > table_.ColCount())
      table_.SetColCount(col_count_);
    if (row_count_ > table_.RowCount())
      table_.SetRowCount(row_count_);
  }

private:
  ResultTable& table_;
  std::int32_t col_count_;
  std::int32_t row_count_;
};

// With a header row the table is exactly its records: as many columns and
// rows as they use, from `cols` and `rows` up (what an earlier collect left,
// or none). Written to the table once, when the collect ends, error or not
// and only when a file was read, so that no lower count is passed through on
// the way (it would lower the fixed counts for good).
class ExactExtents {
public:
  ExactExtents(ResultTable& table, std::int32_t cols, std::int32_t rows)
      : table_(table), cols_(cols), rows_(rows) {}
  ~ExactExtents() { WriteBack(); }
  ExactExtents(const ExactExtents&) = delete;
  ExactExtents& operator=(const ExactExtents&) = delete;

  std::int32_t Cols() const { return cols_; }
  std::int32_t Rows() const { return rows_; }
  // A file was read: the table takes these extents even when it placed nothing.
  void Touch() { touched_ = true; }
  void TakeRow(std::int32_t row) { rows_ = std::max(rows_, row + 1); }
  // Columns 0 .. end - 1 are used.
  void TakeColumns(std::int64_t end) {
    cols_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(end, cols_, INT32_MAX));
  }
  void WriteBack() {
    if (!touched_)
      return;
    table_.SetColCount(std::max(1, cols_));
    table_.SetRowCount(std::max(1, rows_));
  }

private:
  ResultTable& table_;
  std::int32_t cols_;
  std::int32_t rows_;
  bool touched_ = false;
};

// A table as it starts, or as ClearAll leaves it: 2 by 2 and no cell in its
// two rows.
bool IsFreshTable(const ResultTable& table);

// The text of the name cell in a header row, "Имя файла", in the table's
// encoding.
std::string FileNameCaption(const ResultTable& table, const CollectOptions& options);

// The text that closes every row of the file, stored once for all of them.
struct NameCell {
  bool added = false;               // the name is written at all
  bool first = false;               // before the fields rather than after them
  std::string value;                // the name itself
  std::optional<SharedTextId> text; // after the fields: none when the name is empty
};

NameCell FileNameCell(ResultTable& table, const std::string& path, const CollectOptions& options);

// The name cell of a header row: the caption when names are added.
NameCell CaptionCell(ResultTable& table, const NameCell& tag, const CollectOptions& options);

// Writes the n fields of one line and the name cell after them.
void PlaceRow(ResultTable& table, std::int32_t row, std::int32_t start_column,
              const std::vector<std::string_view>& fields, std::int32_t n, const NameCell& name,
              std::vector<std::string_view>& with_empty_name);

// Reads an available file with the reader the options choose, once per
// file; returns whether a quote was left open at its end. `known` is the
// file's encoding when it was found already. Lines are read from `opened`
// when the caller opened the file already (into `scratch`), quoted records
// from `opened_quoted`.
template <typename PlaceRecord>
bool ReadRecords(ResultTable& table, const std::string& path, std::int32_t skip_count,
                 const CollectOptions& options, PlaceRecord&& place, ReadProgress* progress,
                 std::optional<TextEncoding> known = std::nullopt, LineReader* opened = nullptr,
                 ReadScratch* scratch = nullptr, platform::ReadOnlyFile* opened_quoted = nullptr) {
  FixTableEncoding(table, options.source_encoding);
  const TextEncoding file_encoding =
      known ? *known : SourceFileEncoding(path, options.source_encoding, table.Encoding());
  const std::optional<char> delimiter = DelimiterFor(options, path);
  const std::string long_delimiter = LongDelimiter(delimiter, table.Encoding());
  std::optional<LineDecoder> decoder;
  if (LineDecoder::Needed(file_encoding, table.Encoding()))
    decoder.emplace(file_encoding, table.Encoding());
  const platform::ByteEncoding bytes = SourceFileBytes(path, options.source_encoding);
  bool quote_left_open = false;
  if (options.quotes) {
    // Quotes are found in the file's own bytes, so the delimiter is sought
    // in the file's encoding; the fields are converted after.
    LineDecoder* const fields_decoder = decoder ? &*decoder : nullptr;
    const std::string file_delimiter = LongDelimiter(delimiter, file_encoding);
    if (opened_quoted != nullptr) {
      opened_quoted->DecodeFrom(bytes);
      quote_left_open = ReadOpenedQuotedSourceFile(*opened_quoted, skip_count, delimiter, place,
                                                   progress, fields_decoder, file_delimiter);
    } else {
      quote_left_open = ReadAvailableQuotedSourceFile(path, skip_count, delimiter, place, progress,
                                                      fields_decoder, file_delimiter, bytes);
    }
  } else if (opened != nullptr) {
    opened->DecodeFrom(bytes);
    ReadLines(*opened, path, skip_count, delimiter, place, scratch->fields, progress,
              decoder ? &*decoder : nullptr, long_delimiter);
  } else {
    ReadAvailableSourceFile(path, skip_count, delimiter, place, progress,
                            decoder ? &*decoder : nullptr, long_delimiter, bytes);
  }
  if (decoder && decoder->FoundInvalid() && table.Encoding() == TextEncoding::kUtf8)
    table.NoteInvalidUtf8();
  if (decoder && options.encoding_report != nullptr)
    decoder->Report(path, *options.encoding_report);
  return quote_left_open;
}

// Stacked with a header, columns matched by header names, from row 0 of a
// fresh table (collect_by_names.cpp).
CollectSummary CollectMatchingHeaders(ResultTable& table, CandidateList& candidates,
                                      const CollectOptions& options, const AfterItem& after_item,
                                      ReadProgress& progress);

} // namespace collect_rows
} // namespace merge
