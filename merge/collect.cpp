#include "merge/collect.h"

#include "merge/extents.h"
#include "merge/file_name_tag.h"
#include "merge/load_file.h"
#include "merge/read_source_file.h"
#include "merge/table_encoding.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file.h"

#include <algorithm>
#include <optional>

namespace merge {

namespace {

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

std::int32_t FieldCount(std::size_t n) {
  return static_cast<std::int32_t>(std::min<std::size_t>(n, INT32_MAX - 1));
}

// Collects stacked from `start_row`, every ticked item in order; the start
// row then follows RowCount after every item (ticked or not when
// `follow_unticked`).
void StackedDriver(ResultTable& table, CandidateList& candidates, const CollectOptions& options,
                   std::int32_t start_row, bool follow_unticked, const AfterItem& after_item,
                   ReadProgress& progress) {
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    const bool ticked = candidates.IsTicked(i);
    if (ticked)
      LoadFileVertical(table, candidates.SelectedFullPath(), start_row, options, &progress);
    if (ticked || follow_unticked)
      start_row = table.RowCount();
    if (after_item)
      after_item();
  }
}

// The text that closes every row of the file, stored once for all of them.
struct NameCell {
  bool added = false;               // the name is written at all
  std::optional<SharedTextId> text; // none when the name is empty
};

NameCell FileNameCell(ResultTable& table, const std::string& path, const CollectOptions& options) {
  NameCell cell;
  if (!options.add_file_name)
    return cell;
  cell.added = true;
  const std::string tag = FileNameTag(path, options.name_only, table.Encoding());
  // An empty name (of a file called ".csv") is written like an empty field:
  // it clears its cell and stores nothing.
  if (!tag.empty())
    cell.text = table.InternText(tag);
  return cell;
}

// Writes the n fields of one line and the name cell after them.
void PlaceRow(ResultTable& table, std::int32_t row, std::int32_t start_column,
              const std::vector<std::string_view>& fields, std::int32_t n, const NameCell& name,
              std::vector<std::string_view>& with_empty_name) {
  if (name.added && !name.text) {
    with_empty_name.assign(fields.begin(), fields.begin() + n);
    with_empty_name.emplace_back();
    table.PlaceCells(row, start_column, with_empty_name.data(), with_empty_name.size(), nullptr);
    return;
  }
  table.PlaceCells(row, start_column, fields.data(), static_cast<std::size_t>(n),
                   name.text ? &*name.text : nullptr);
}

// The reading delimiter in the table's encoding: in a UTF-8 table a
// Cyrillic delimiter is its character's bytes, returned as `long_delimiter`.
std::optional<char> DelimiterFor(const ResultTable& table, const CollectOptions& options,
                                 std::string& long_delimiter) {
  const std::optional<char> delimiter = ReadingDelimiter(options.delimiter_text);
  long_delimiter.clear();
  if (delimiter && table.Encoding() == TextEncoding::kUtf8 &&
      static_cast<unsigned char>(*delimiter) >= 0x80)
    long_delimiter = platform::Cp1251ToUtf8(std::string_view(&*delimiter, 1));
  return delimiter;
}

// Tells the progress how many ticked files will be read and their bytes in
// all, before any is read. Files that will be skipped (gone, not regular)
// count for nothing.
void AnnounceJob(const CandidateList& candidates, platform::Progress* progress) {
  if (progress == nullptr)
    return;
  std::int32_t files = 0;
  std::int64_t bytes = 0;
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    if (!candidates.IsTicked(i))
      continue;
    const std::int64_t size = platform::CandidateSize(candidates.FullPathOf(i));
    if (size < 0)
      continue;
    ++files;
    bytes += size;
  }
  progress->JobStarted(files, bytes);
}

// The options of "Собрать повторно" and "Добавить": no line is dropped.
CollectOptions KeepingEveryLine(CollectOptions options) {
  options.skip_count = 0;
  return options;
}

} // namespace

void LoadFile(ResultTable& table, const std::string& path, std::int32_t start_row,
              std::int32_t start_column, const CollectOptions& options, ReadProgress* progress) {
  if (!IsSourceFileAvailable(path))
    return;
  FixTableEncoding(table, options.source_encoding);
  const TextEncoding file_encoding =
      SourceFileEncoding(path, options.source_encoding, table.Encoding());
  std::optional<LineDecoder> decoder;
  if (LineDecoder::Needed(file_encoding, table.Encoding()))
    decoder.emplace(file_encoding, table.Encoding());
  std::string long_delimiter;
  const std::optional<char> delimiter = DelimiterFor(table, options, long_delimiter);
  const NameCell name = FileNameCell(table, path, options);

  GrowingExtents extents(table);
  std::int32_t row = start_row - 1;
  std::vector<std::string_view> with_empty_name;
  ReadAvailableSourceFile(
      path, options.skip_count, delimiter,
      [&](const std::vector<std::string_view>& fields) {
        StepRow(row);
        extents.TakeRow(row);
        const std::int32_t n = FieldCount(fields.size());
        PlaceRow(table, row, start_column, fields, n, name, with_empty_name);
        extents.TakeFields(start_column, n);
        if (name.added)
          extents.TakeNameCell(start_column + n);
      },
      progress, decoder ? &*decoder : nullptr, long_delimiter);
  if (decoder && options.encoding_report != nullptr)
    decoder->Report(path, *options.encoding_report);
}

void CollectFiles(ResultTable& table, CandidateList& candidates, const CollectOptions& options,
                  const AfterItem& after_item, platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  if (!options.side_by_side) {
    StackedDriver(table, candidates, options, 0, false, after_item, read_progress);
    return;
  }
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    if (candidates.IsTicked(i))
      LoadFileHorizontal(table, candidates.SelectedFullPath(), 0, table.ColCount(), options,
                         &read_progress);
    if (after_item)
      after_item();
  }
}

void N6Collect(ResultTable& table, CandidateList& candidates, const CollectOptions& options,
               const AfterItem& after_item, platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  table.ClearAll();
  StackedDriver(table, candidates, KeepingEveryLine(options), 0, true, after_item, read_progress);
}

void N7Collect(ResultTable& table, CandidateList& candidates, const CollectOptions& options,
               const AfterItem& after_item, platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  StackedDriver(table, candidates, KeepingEveryLine(options), table.RowCount(), true, after_item,
                read_progress);
}

} // namespace merge
