#include "merge/collect.h"

#include "merge/collect_rows.h"
#include "merge/detect_options.h"
#include "platform/errors.h"
#include "platform/file.h"

#include <algorithm>
#include <optional>

namespace merge {

std::optional<char> DelimiterFor(const CollectOptions& options, const std::string& path) {
  const std::optional<char> typed = ReadingDelimiter(options.delimiter_text);
  return options.detect_delimiter ? DelimiterOfFile(path, typed) : typed;
}

namespace {

using namespace collect_rows;

// What becomes of a file's first used record.
enum class FirstRecord {
  kRow,    // a row like any other
  kHeader, // a header placed as a row, its name cell "Имя файла"
  kDrop,   // a header not placed: the table has one already
};

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

struct FileResult {
  bool placed_a_record = false;
  bool quote_left_open = false;
  std::int32_t name_column = -1; // the last row's name column; -1 when no row was placed
};

// Places one file's used records from `start_row` down, fields from
// `start_column`, the name cell right after a row's last field. A collect
// lends every file the same `scratch`. With `exact` (a header row on) the
// extents are the records' own; with `skip_empty_header` too a header
// without fields is none, and the next file's header takes its place.
FileResult PlaceFile(ResultTable& table, const std::string& path, std::int32_t start_row,
                     std::int32_t start_column, const CollectOptions& options,
                     FirstRecord first_record, ReadProgress* progress,
                     ReadScratch* scratch = nullptr, ExactExtents* exact = nullptr,
                     bool skip_empty_header = false) {
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
  const NameCell caption =
      first_record == FirstRecord::kHeader ? CaptionCell(table, tag, options) : NameCell{};

  std::optional<GrowingExtents> extents;
  if (exact != nullptr)
    exact->Touch();
  else
    extents.emplace(table);
  std::int32_t row = start_row - 1;
  std::vector<std::string_view> with_empty_name;
  bool first = true;
  result.quote_left_open = ReadRecords(
      table, path, options.skip_count, options,
      [&](const std::vector<std::string_view>& fields) {
        const NameCell* name = &tag;
        if (first) {
          first = false;
          if (first_record == FirstRecord::kHeader && skip_empty_header && fields.empty())
            return;
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
        if (exact != nullptr) {
          exact->TakeRow(row);
          exact->TakeColumns(std::int64_t{start_column} + n + (name->added ? 1 : 0));
          return;
        }
        extents->TakeRow(row);
        if (name->first) {
          // A name in front is one more field of the row.
          extents->TakeFields(start_column, n + 1);
          return;
        }
        extents->TakeFields(start_column, n);
        if (name->added) {
          result.name_column = start_column + n;
          extents->TakeNameCell(result.name_column);
        }
      },
      progress, std::nullopt, reader ? &*reader : nullptr, scratch,
      quoted_file ? &*quoted_file : nullptr);
  // After the file the table reaches past its last name column; since every
  // name cell already raised ColCount this only confirms it, never lowers it.
  // A file that placed no row leaves ColCount as the earlier files left it.
  if (extents && result.name_column >= 0)
    extents->TakeNameCell(result.name_column);
  return result;
}

// Collects stacked from `start_row`, every ticked item in order; the start
// row then follows RowCount after every item (ticked or not when
// `follow_unticked`). With a header the rows follow each other and the
// extents are exact; only the first file that has a header places it, and
// none does below an earlier table (start_row above 0).
CollectSummary StackedDriver(ResultTable& table, CandidateList& candidates,
                             const CollectOptions& options, std::int32_t start_row,
                             bool follow_unticked, const AfterItem& after_item,
                             ReadProgress& progress) {
  CollectSummary summary;
  FirstRecord first_record = !options.header  ? FirstRecord::kRow
                             : start_row == 0 ? FirstRecord::kHeader
                                              : FirstRecord::kDrop;
  std::optional<ExactExtents> exact;
  if (options.header)
    exact.emplace(table, start_row == 0 ? 0 : table.ColCount(), start_row);
  ReadScratch scratch;
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    const bool ticked = candidates.IsTicked(i);
    if (ticked) {
      const FileResult file =
          PlaceFile(table, candidates.SelectedFullPath(), exact ? exact->Rows() : start_row, 0,
                    options, first_record, &progress, &scratch, exact ? &*exact : nullptr, true);
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

// Side by side from the column right of the table's, each file's header in
// row 0 of its columns. With a header the extents are exact, and a fresh
// table has no columns of its own to start right of.
CollectSummary SideBySideDriver(ResultTable& table, CandidateList& candidates,
                                const CollectOptions& options, const AfterItem& after_item,
                                ReadProgress& progress) {
  CollectSummary summary;
  const FirstRecord first_record = options.header ? FirstRecord::kHeader : FirstRecord::kRow;
  std::optional<ExactExtents> exact;
  if (options.header) {
    const bool fresh = IsFreshTable(table);
    exact.emplace(table, fresh ? 0 : table.ColCount(), fresh ? 0 : table.RowCount());
  }
  ReadScratch scratch;
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i) {
    candidates.Select(i);
    if (candidates.IsTicked(i)) {
      const FileResult file = PlaceFile(
          table, candidates.SelectedFullPath(), 0, exact ? exact->Cols() : table.ColCount(),
          options, first_record, &progress, &scratch, exact ? &*exact : nullptr);
      summary.files_with_open_quote += file.quote_left_open ? 1 : 0;
    }
    if (after_item)
      after_item();
  }
  return summary;
}

// What every driver starts with: one bulk change of the table (the grid
// hears of it once, at the end), the job's size told, and the reading's
// progress.
struct DriverStart {
  DriverStart(ResultTable& table, const CandidateList& candidates, platform::Progress* progress)
      : bulk(table), read_progress(progress) {
    AnnounceJob(candidates, progress);
  }
  BulkChange bulk;
  ReadProgress read_progress;
};

bool AnyTicked(const CandidateList& candidates) {
  const int count = candidates.Count();
  for (int i = 0; i < count; ++i)
    if (candidates.IsTicked(i))
      return true;
  return false;
}

// The options of "Собрать повторно" and "Добавить": stacked, no line
// dropped. Without a header option no line is a header either.
CollectOptions KeepingEveryLine(CollectOptions options) {
  options.skip_count = 0;
  options.side_by_side = false;
  return options;
}

// Every ticked file stacked from row 0 of a clear or fresh table, matched
// by header names when asked.
CollectSummary StackedFromTheTop(ResultTable& table, CandidateList& candidates,
                                 const CollectOptions& options, bool follow_unticked,
                                 const AfterItem& after_item, ReadProgress& progress) {
  if (options.header && options.match_headers)
    return CollectMatchingHeaders(table, candidates, options, after_item, progress);
  return StackedDriver(table, candidates, options, 0, follow_unticked, after_item, progress);
}

} // namespace

void LoadFile(ResultTable& table, const std::string& path, std::int32_t start_row,
              std::int32_t start_column, const CollectOptions& options, ReadProgress* progress) {
  PlaceFile(table, path, start_row, start_column, options, FirstRecord::kRow, progress);
}

bool CollectClearsTable(const ResultTable& table, const CandidateList& candidates,
                        const CollectOptions& options) {
  return !options.side_by_side && AnyTicked(candidates) && !IsFreshTable(table);
}

CollectSummary CollectFiles(ResultTable& table, CandidateList& candidates,
                            const CollectOptions& options, const AfterItem& after_item,
                            platform::Progress* progress) {
  DriverStart start(table, candidates, progress);
  if (options.side_by_side)
    return SideBySideDriver(table, candidates, options, after_item, start.read_progress);
  // Stacked again into a table that holds something: from a clear table, so
  // that the old rows neither stay under the new ones nor below them.
  if (CollectClearsTable(table, candidates, options))
    table.ClearAll();
  return StackedFromTheTop(table, candidates, options, false, after_item, start.read_progress);
}

CollectSummary CollectAgain(ResultTable& table, CandidateList& candidates,
                            const CollectOptions& options, const AfterItem& after_item,
                            platform::Progress* progress) {
  DriverStart start(table, candidates, progress);
  table.ClearAll();
  return StackedFromTheTop(table, candidates, KeepingEveryLine(options), true, after_item,
                           start.read_progress);
}

CollectSummary AddFiles(ResultTable& table, CandidateList& candidates,
                        const CollectOptions& options, const AfterItem& after_item,
                        platform::Progress* progress) {
  DriverStart start(table, candidates, progress);
  // Below a table with a header the files' headers are dropped; a fresh
  // table takes the first one.
  const CollectOptions every_line = KeepingEveryLine(options);
  const std::int32_t start_row = every_line.header && IsFreshTable(table) ? 0 : table.RowCount();
  return StackedDriver(table, candidates, every_line, start_row, true, after_item,
                       start.read_progress);
}

} // namespace merge
