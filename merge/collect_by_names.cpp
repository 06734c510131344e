#include "merge/collect_rows.h"
#include "merge/header_union.h"
#include "merge/read_header.h"

namespace merge {
namespace collect_rows {

namespace {

// Where the name cells of consecutive rows stand, so that they can follow
// the name column when fields beyond a header push it to the right.
struct NameRun {
  std::int32_t first_row;
  std::int32_t end_row;
  std::int32_t column;
  SharedTextId text;
};

} // namespace

// Stacked with a header, columns matched by header names: the union of the
// header names (first seen first) makes the columns, each file's fields go
// under their names, fields beyond a file's header go to unnamed columns
// after the union, and the file-name cell gets the column after all of them.
// The headers are read first, so that the union is known before any row is
// placed; a file's header row is then dropped and the union's placed once.
CollectSummary CollectMatchingHeaders(ResultTable& table, CandidateList& candidates,
                                      const CollectOptions& options, const AfterItem& after_item,
                                      ReadProgress& progress) {
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
    const std::optional<std::vector<std::string>> names =
        ReadHeader(path, options.skip_count, DelimiterFor(options, path), options.quotes,
                   file_encoding, table.Encoding(), SourceFileBytes(path, options.source_encoding));
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
  ExactExtents extents(table, 0, 0);
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
      extents.Touch();
      const NameCell tag = FileNameCell(table, path, options);
      std::int32_t row = start_row - 1;
      bool first = true;
      std::int32_t previous_n = -1; // the fields of the row placed last from row_fields
      const auto place_row = [&](const std::vector<std::string_view>& fields, std::int32_t n,
                                 const NameCell& name) {
        StepRow(row);
        PlaceRow(table, row, 0, fields, n, name, with_empty_name);
        extents.TakeRow(row); // only a row that was placed counts
        if (name.added && name.text && !name.first)
          note_name(row, n, *name.text);
        extents.TakeColumns(std::int64_t{n} + (name.added ? 1 : 0));
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
                  place_row(row_fields, width + extra, CaptionCell(table, tag, options));
                  return;
                }
                const auto n = FieldCount(fields.size());
                extra = std::max(extra, n - header_size);
                // Rows with names at their end pad to every column the name
                // cell follows; other rows stop after their own fields.
                const std::int32_t used =
                    width + (tag.added && !tag.first ? extra : std::max(0, n - header_size));
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
      start_row = extents.Rows();
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
    extents.TakeColumns(std::int64_t{name_column} + 1);
  }
  return summary;
}

} // namespace collect_rows
} // namespace merge
