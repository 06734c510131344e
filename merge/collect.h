#pragma once
// Collecting ticked files into the table: the two placements and the three
// drivers (Collect, collect again, add), over a small interface for the
// candidate list so that no widget is reached from here.

#include "merge/result_table.h"
#include "merge/skip_count.h"
#include "merge/text_encoding.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {
class Progress;
} // namespace platform

namespace merge {

class ReadProgress;

// "Имя файла", the name column's caption unless told otherwise.
inline constexpr char kFileNameHeader[] = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0";

// The reading options, taken from the page "Настройка" when a collect starts.
struct CollectOptions {
  std::string delimiter_text;  // the text of Edit2; its first byte splits fields
  bool add_file_name = true;   // CheckBox1
  bool name_only = true;       // CheckBox2
  bool side_by_side = false;   // ComboBox1's item index is 1
  std::int32_t skip_count = 0; // leading lines dropped from each file (CheckBox6, Edit3)
  // ComboBox3 "Кодировка файлов": what the source files are taken to be.
  SourceEncoding source_encoding = SourceEncoding::kCp1251;
  // Where invalid UTF-8 files and characters that became "?" are told;
  // none when nobody asks.
  EncodingReport* encoding_report = nullptr;
  // Options beyond the plain reading, all off by default.
  bool quotes = false;        // CheckBox7: fields in quotes may hold delimiters and line breaks
  bool header = false;        // CheckBox8: each file's first used record is its header
  bool match_headers = false; // CheckBox9: stacked with a header, columns matched by name
  // Edit4: the name column's caption in a header row (Windows-1251 bytes).
  std::string file_name_header = kFileNameHeader;
  // CheckBox12: the name cell opens each row, the fields follow it.
  bool file_name_first = false;
  // Each file's delimiter found from its start (DelimiterOfFile), the
  // delimiter text's only where the start cannot tell.
  bool detect_delimiter = false;
};

// The delimiter a file is split at under `options`.
std::optional<char> DelimiterFor(const CollectOptions& options, const std::string& path);

// What a collect has to tell besides the table.
struct CollectSummary {
  int files_with_open_quote = 0; // files whose last record ran to the end inside a quote
};

// The check list and the file list of the first page, as the drivers see them.
class CandidateList {
public:
  virtual ~CandidateList() = default;
  virtual int Count() const = 0;
  virtual bool IsTicked(int index) const = 0;
  // Makes entry `index` the file list's selection.
  virtual void Select(int index) = 0;
  // The full file name of the file list's selection; empty when none.
  virtual std::string SelectedFullPath() const = 0;
  // The full file name of entry `index` without selecting it, for telling
  // the progress the size of the whole job beforehand; empty when unknown.
  virtual std::string FullPathOf(int /*index*/) const { return {}; }
};

// Puts the file's used lines (the first options.skip_count dropped) into row
// start_row + k, fields from `start_column`, the file-name cell (when asked
// for) right after a row's last field. ColCount grows to c + 2 for a field at
// column c >= ColCount, and to take in a name cell landing at or beyond it;
// RowCount grows to take in each row; neither is ever lowered. A file that is
// not available (IsSourceFileAvailable) is skipped without a word. Throws
// platform::FileError or platform::Cancelled, keeping what was placed.
void LoadFile(ResultTable& table, const std::string& path, std::int32_t start_row,
              std::int32_t start_column, const CollectOptions& options,
              ReadProgress* progress = nullptr);

// Called after every item of the check list, ticked or not (the window sets
// Button1's caption there).
using AfterItem = std::function<void()>;

// Button1's Collect action: stacked or side by side as the options say.
// Stacked into a table that holds something (and with an item ticked), the
// table is cleared first. With `header`, stacked: the first file's header is
// placed, the other files' headers are not (a header without fields is none:
// the next file's takes its place); side by side: each file's header stays in
// row 0 of its columns, a fresh table's first file at column 0; either way
// the name cell of a header row is "Имя файла", and the extents are exactly
// the columns and rows the records use. With `match_headers` too (stacked
// only) the columns are the union of the header names in the order first
// seen, each file's fields under their names (compared without surrounding
// spaces, a repeated name by its occurrence), fields beyond a header in
// unnamed columns after the union, and the name cells in one column after
// all of them; the header row holds the union.
CollectSummary CollectFiles(ResultTable& table, CandidateList& candidates,
                            const CollectOptions& options, const AfterItem& after_item,
                            platform::Progress* progress = nullptr);
// Whether CollectFiles starts with ClearAll (stacked, an item ticked, the
// table not fresh), so that the window can keep the old table for undo.
bool CollectClearsTable(const ResultTable& table, const CandidateList& candidates,
                        const CollectOptions& options);
// "Собрать повторно": ClearAll, then every ticked file stacked from row 0, no
// line dropped, whatever the direction and skip count say; a header and
// matching by names as for a stacked collect.
CollectSummary CollectAgain(ResultTable& table, CandidateList& candidates,
                            const CollectOptions& options, const AfterItem& after_item,
                            platform::Progress* progress = nullptr);
// "Добавить": every ticked file stacked below RowCount, no line dropped. With
// `header` the files' headers are dropped below a table that holds rows (a
// fresh one takes the first), rows follow each other from RowCount and the
// extents only grow to what the records use; columns are not matched by name.
CollectSummary AddFiles(ResultTable& table, CandidateList& candidates,
                        const CollectOptions& options, const AfterItem& after_item,
                        platform::Progress* progress = nullptr);

} // namespace merge
