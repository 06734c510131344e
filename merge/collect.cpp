#include "merge/collect.h"

#include "merge/extents.h"
#include "merge/file_name_tag.h"
#include "merge/header_union.h"
#include "merge/load_file.h"
#include "merge/read_header.h"
#include "merge/read_quoted_source_file.h"
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

// The text of the name cell in a header row: "Имя файла".
constexpr std::string_view kFileNameCaption = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0";

// The caption in the table's encoding.
std::string FileNameCaption(const ResultTable& table) {
  if (table.Encoding() == TextEncoding::kUtf8)
    return platform::Cp1251ToUtf8(kFileNameCaption);
  return std::string(kFileNameCaption);
}

// What becomes of a file's first used record.
enum class FirstRecord {
  kRow,    // a row like any other
  kHeader, // a header placed as a row, its name cell "Имя файла"
  kDrop,   // a header not placed: the table has one already
};

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
  long_delimiter = LongDelimiter(delimiter, table.Encoding());
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
  std::string long_delimiter;
  const std::optional<char> delimiter = DelimiterFor(table, options, long_delimiter);
  std::optional<LineDecoder> decoder;
  if (LineDecoder::Needed(file_encoding, table.Encoding()))
    decoder.emplace(file_encoding, table.Encoding());
  bool quote_left_open = false;
  if (options.quotes) {
    // Quotes are found in the file's own bytes, so the delimiter is sought
    // in the file's encoding; the fields are converted after.
    LineDecoder* const fields_decoder = decoder ? &*decoder : nullptr;
    const std::string file_delimiter = LongDelimiter(delimiter, file_encoding);
    quote_left_open = opened_quoted != nullptr
                          ? ReadOpenedQuotedSourceFile(*opened_quoted, skip_count, delimiter, place,
                                                       progress, fields_decoder, file_delimiter)
                          : ReadAvailableQuotedSourceFile(path, skip_count, delimiter, place,
                                                          progress, fields_decoder, file_delimiter);
  } else if (opened != nullptr) {
    ReadLines(*opened, path, skip_count, delimiter, place, scratch->fields, progress,
              decoder ? &*decoder : nullptr, long_delimiter);
  } else {
    ReadAvailableSourceFile(path, skip_count, delimiter, place, progress,
                            decoder ? &*decoder : nullptr, long_delimiter);
  }
  if (decoder && options.encoding_report != nullptr)
    decoder->Report(path, *options.encoding_report);
  return quote_left_open;
}

struct FileResult {
  bool placed_a_record = false;
  bool quote_left_open = false;
  std::int32_t name_column = -1; // the last row's name column; -1 when no row was placed
};

// Places one file's used records from `start_row` down, fields from
// `start_column`, the name cell right after a row's last field. A collect
// lends every file the same `scratch`.
FileResult PlaceFile(ResultTable& table, const std::string& path, std::int32_t start_row,
                     std::int32_t start_column, const CollectOptions& options,
                     FirstRecord first_record, ReadProgress* progress,
                     ReadScratch* scratch = nullptr) {
  FileResult result;
  std::optional<ReadScratch> own_scratch;
  std::optional<LineReader> reader;
  std::optional<platform::ReadOnlyFile> quoted_file;
  if (!options.quotes && scratch == nullptr)
    scratch = &own_scratch.emplace();
  try {
    if (options.quotes ? !OpenQuotedSourceFile(path, quoted_file)
                       : !OpenSourceFile(path, *scratch, progress, reader))
      return result;
  } catch (const platform::FileError&) {
    // The table's encoding is fixed by a file that is there, even unread.
    FixTableEncoding(table, options.source_encoding);
    throw;
  }
  FixTableEncoding(table, options.source_encoding);
  const NameCell tag = FileNameCell(table, path, options);
  NameCell caption;
  if (first_record == FirstRecord::kHeader && tag.added) {
    caption.added = true;
    caption.text = table.InternText(FileNameCaption(table));
  }

  GrowingExtents extents(table);
  std::int32_t row = start_row - 1;
  std::vector<std::string_view> with_empty_name;
  bool first = true;
  result.quote_left_open = ReadRecords(
      table, path, options.skip_count, options,
      [&](const std::vector<std::string_view>& fields) {
        const NameCell* name = &tag;
        if (first) {
          first = false;
          result.placed_a_record = true;
          if (first_record == FirstRecord::kDrop)
            return;
          if (first_record == FirstRecord::kHeader)
            name = &caption;
        }
        StepRow(row);
        const std::int32_t n = FieldCount(fields.size());
        PlaceRow(table, row, start_column, fields, n, *name, with_empty_name);
        // Only a row that was placed counts: a placement that found no
        // memory leaves the extents where the rows before it put them.
        extents.TakeRow(row);
        extents.TakeFields(start_column, n);
        if (name->added) {
          result.name_column = start_column + n;
          extents.TakeNameCell(result.name_column);
        }
      },
      progress, std::nullopt, reader ? &*reader : nullptr, scratch,
      quoted_file ? &*quoted_file : nullptr);
  // After the file the table reaches past its last name column; since every
  // name cell already raised ColCount this only confirms it, never lowers it.
  // A file that placed no row leaves ColCount as the earlier files left it.
  if (result.name_column >= 0)
    extents.TakeNameCell(result.name_column);
  return result;
}

// Collects stacked from `start_row`, every ticked item in order; the start
// row then follows RowCount after every item (ticked or not when
// `follow_unticked`). With a header, only the first file that has a record
// places its header.
CollectSummary StackedDriver(ResultTable& table, CandidateList& candidates,
                             const CollectOptions& options, std::int32_t start_row,
                             bool follow_unticked, const AfterItem& after_item,
                             ReadProgress& progress) {
  CollectSummary summary;
  FirstRecord first_record = options.header ? FirstRecord::kHeader : FirstRecord::kRow;
  ReadScratch scratch;
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    const bool ticked = candidates.IsTicked(i);
    if (ticked) {
      const FileResult file = PlaceFile(table, candidates.SelectedFullPath(), start_row, 0, options,
                                        first_record, &progress, &scratch);
      summary.files_with_open_quote += file.quote_left_open ? 1 : 0;
      if (file.placed_a_record && first_record == FirstRecord::kHeader)
        first_record = FirstRecord::kDrop;
    }
    if (ticked || follow_unticked)
      start_row = table.RowCount();
    if (after_item)
      after_item();
  }
  return summary;
}

// Where the name cells of consecutive rows stand, so that they can follow
// the name column when fields beyond a header push it to the right.
struct NameRun {
  std::int32_t first_row;
  std::int32_t end_row;
  std::int32_t column;
  SharedTextId text;
};

// Stacked with a header, columns matched by header names: the union of the
// header names (first seen first) makes the columns, each file's fields go
// under their names, fields beyond a file's header go to unnamed columns
// after the union, and the file-name cell gets the column after all of them.
// The headers are read first, so that the union is known before any row is
// placed; a file's header row is then dropped and the union's placed once.
CollectSummary CollectMatchingHeaders(ResultTable& table, CandidateList& candidates,
                                      const CollectOptions& options, const AfterItem& after_item,
                                      ReadProgress& progress) {
  const std::optional<char> delimiter = ReadingDelimiter(options.delimiter_text);
  const int count = candidates.Count();
  HeaderUnion header_union;
  std::vector<std::vector<std::int32_t>> columns(static_cast<std::size_t>(count));
  // Each file's encoding, found once for both passes.
  std::vector<TextEncoding> encodings(static_cast<std::size_t>(count), TextEncoding::kCp1251);
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    const std::string path = candidates.SelectedFullPath();
    if (!candidates.IsTicked(i) || !IsSourceFileAvailable(path))
      continue;
    // The names are compared, and the header row written, in the table's
    // encoding.
    FixTableEncoding(table, options.source_encoding);
    const TextEncoding file_encoding =
        SourceFileEncoding(path, options.source_encoding, table.Encoding());
    encodings[static_cast<std::size_t>(i)] = file_encoding;
    const std::optional<std::vector<std::string>> names = ReadHeader(
        path, options.skip_count, delimiter, options.quotes, file_encoding, table.Encoding());
    if (names)
      columns[static_cast<std::size_t>(i)] =
          header_union.Add(std::vector<std::string_view>(names->begin(), names->end()));
  }
  const std::int32_t width = header_union.Size();
  std::int32_t extra = 0; // the most fields beyond a header on any row so far
  std::vector<NameRun> name_runs;
  std::vector<std::string_view> row_fields;
  std::vector<std::string_view> with_empty_name;
  const auto note_name = [&](std::int32_t row, std::int32_t column, SharedTextId text) {
    if (!name_runs.empty() && name_runs.back().end_row == row &&
        name_runs.back().column == column && name_runs.back().text == text)
      ++name_runs.back().end_row;
    else
      name_runs.push_back({row, row + 1, column, text});
  };

  CollectSummary summary;
  GrowingExtents extents(table);
  std::int32_t start_row = 0;
  bool header_placed = false;
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    const std::string path = candidates.SelectedFullPath();
    if (candidates.IsTicked(i) && IsSourceFileAvailable(path)) {
      const std::vector<std::int32_t>& file_columns = columns[static_cast<std::size_t>(i)];
      const auto header_size = static_cast<std::int32_t>(file_columns.size());
      const bool identity = IsIdentity(file_columns, width);
      FixTableEncoding(table, options.source_encoding);
      const NameCell tag = FileNameCell(table, path, options);
      std::int32_t row = start_row - 1;
      bool first = true;
      std::int32_t previous_n = -1; // the fields of the row placed last from row_fields
      const auto place_row = [&](const std::vector<std::string_view>& fields, std::int32_t n,
                                 const NameCell& name) {
        StepRow(row);
        PlaceRow(table, row, 0, fields, n, name, with_empty_name);
        extents.TakeRow(row); // once placed, as above
        if (name.added) {
          if (name.text)
            note_name(row, n, *name.text);
          extents.TakeNameCell(n);
        } else if (n > 0) {
          extents.TakeNameCell(n - 1); // exactly the columns used, as saved
        }
      };
      summary.files_with_open_quote +=
          ReadRecords(
              table, path, options.skip_count, options,
              [&](const std::vector<std::string_view>& fields) {
                if (first) {
                  first = false;
                  if (header_placed)
                    return;
                  header_placed = true;
                  row_fields.assign(header_union.Names().begin(), header_union.Names().end());
                  row_fields.resize(static_cast<std::size_t>(width + extra));
                  NameCell caption;
                  if (tag.added) {
                    caption.added = true;
                    caption.text = table.InternText(FileNameCaption(table));
                  }
                  place_row(row_fields, width + extra, caption);
                  return;
                }
                const auto n = FieldCount(fields.size());
                extra = std::max(extra, n - header_size);
                // Rows with names pad to every column the name cell follows;
                // rows without stop after their own fields.
                const std::int32_t used =
                    width + (tag.added ? extra : std::max(0, n - header_size));
                if (identity && n == used) {
                  place_row(fields, n, tag);
                  return;
                }
                // A row as wide as the one before it in the same file fills
                // the same columns: the others are still empty.
                if (n != previous_n || static_cast<std::size_t>(used) != row_fields.size())
                  row_fields.assign(static_cast<std::size_t>(used), std::string_view());
                previous_n = n;
                for (std::int32_t j = 0; j < n; ++j) {
                  const std::int32_t column = j < header_size
                                                  ? file_columns[static_cast<std::size_t>(j)]
                                                  : width + (j - header_size);
                  row_fields[static_cast<std::size_t>(column)] =
                      fields[static_cast<std::size_t>(j)];
                }
                place_row(row_fields, used, tag);
              },
              &progress, encodings[static_cast<std::size_t>(i)])
              ? 1
              : 0;
      extents.WriteBack();
      start_row = table.RowCount();
    }
    if (after_item)
      after_item();
  }
  // Name cells placed before a later row pushed the name column further
  // right move there, so that they all stand in one column at the end.
  const std::int32_t name_column = width + extra;
  for (const NameRun& run : name_runs) {
    if (run.column == name_column)
      continue;
    for (std::int32_t row = run.first_row; row < run.end_row; ++row) {
      table.SetCell(run.column, row, std::string_view());
      table.PlaceCells(row, name_column, nullptr, 0, &run.text);
    }
    extents.TakeNameCell(name_column);
  }
  return summary;
}

// The options of "Собрать повторно" and "Добавить": no line is dropped, so
// no line is a header either.
CollectOptions KeepingEveryLine(CollectOptions options) {
  options.skip_count = 0;
  options.header = false;
  options.match_headers = false;
  return options;
}

} // namespace

void LoadFile(ResultTable& table, const std::string& path, std::int32_t start_row,
              std::int32_t start_column, const CollectOptions& options, ReadProgress* progress) {
  PlaceFile(table, path, start_row, start_column, options, FirstRecord::kRow, progress);
}

CollectSummary CollectFiles(ResultTable& table, CandidateList& candidates,
                            const CollectOptions& options, const AfterItem& after_item,
                            platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  if (!options.side_by_side) {
    if (options.header && options.match_headers)
      return CollectMatchingHeaders(table, candidates, options, after_item, read_progress);
    return StackedDriver(table, candidates, options, 0, false, after_item, read_progress);
  }
  CollectSummary summary;
  const FirstRecord first_record = options.header ? FirstRecord::kHeader : FirstRecord::kRow;
  ReadScratch scratch;
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    if (candidates.IsTicked(i)) {
      const FileResult file = PlaceFile(table, candidates.SelectedFullPath(), 0, table.ColCount(),
                                        options, first_record, &read_progress, &scratch);
      summary.files_with_open_quote += file.quote_left_open ? 1 : 0;
    }
    if (after_item)
      after_item();
  }
  return summary;
}

CollectSummary N6Collect(ResultTable& table, CandidateList& candidates,
                         const CollectOptions& options, const AfterItem& after_item,
                         platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  table.ClearAll();
  return StackedDriver(table, candidates, KeepingEveryLine(options), 0, true, after_item,
                       read_progress);
}

CollectSummary N7Collect(ResultTable& table, CandidateList& candidates,
                         const CollectOptions& options, const AfterItem& after_item,
                         platform::Progress* progress) {
  BulkChange bulk(table);
  AnnounceJob(candidates, progress);
  ReadProgress read_progress(progress);
  return StackedDriver(table, candidates, KeepingEveryLine(options), table.RowCount(), true,
                       after_item, read_progress);
}

} // namespace merge
