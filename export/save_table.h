#pragma once
// Writing the table as one delimited text file.

#include "export/output_place.h"

#include <cstdint>
#include <string>

namespace merge {
class ResultTable;
} // namespace merge

namespace platform {
class Progress;
} // namespace platform

namespace exporter {

struct SaveReport;

// The options of the page "Сохранить", taken when a save starts.
struct SaveOptions {
  char delimiter = ','; // the first byte of ComboBox2's text
  bool escape = false;  // CheckBox5: cells go through EscapeCell
  bool utf8 = false;    // CheckBox4: cell texts converted to UTF-8
  bool bom = false;     // CheckBox11: a UTF-8 file starts with the byte-order mark
  // Where the characters that a Windows-1251 file has no byte for are told;
  // none when nobody asks.
  SaveReport* report = nullptr;
  // CheckBox10: a cell holding the delimiter, '"', CR, LF or byte 26 is
  // written in quotes, its quotes doubled; the "#" escape is then not used.
  // With '"' as the delimiter nothing is quoted.
  bool quote = false;
};

// What a save of a UTF-8 table into a Windows-1251 file had to change.
struct SaveReport {
  std::int64_t replaced_characters = 0; // each written as "?"
  std::int32_t first_replaced_row = -1; // the first such cell, counted from 0
  std::int32_t first_replaced_col = -1;
  // Parts of cells that were not UTF-8, each written as U+FFFD into a
  // UTF-8 file.
  std::int64_t repaired_sequences = 0;
};

// Writes rows 0..RowCount-1 of `table`, each as its cells 0..ColCount-1,
// every cell followed by the delimiter byte and every line, the last one
// included, by CR LF; no header, no byte-order mark, no quoting unless
// asked. With `escape` each cell goes through EscapeCell first; with `quote`
// QuoteCell instead, and the delimiter stands only between cells (a CSV
// reader then sees exactly ColCount fields). With `utf8` the cell texts (not
// the delimiters or line ends) are then converted from Windows-1251 to
// UTF-8.
//
// A UTF-8 table (merge::TextEncoding) is written as it is into a UTF-8 file
// (the delimiter byte and its "#" code as for a Windows-1251 table, a
// non-ASCII delimiter's character escaped by that code), and converted into
// a Windows-1251 file, each character without a byte written as "?" and
// told in `options.report`. With `utf8` and `bom` the file starts with the
// UTF-8 byte-order mark.
//
// `file_name` is the file system's name (bytes), absolute or relative to the
// current directory. The new content replaces the file only when it is
// complete: any failure, or a cancel through `progress`, leaves an earlier
// file whole and nothing else behind.
//
// Throws platform::FileError: an empty name, or a name in a directory that
// does not exist, "Invalid filename" (3); a directory, a read-only file or a
// directory closed for writing "File access denied" (5); a file another
// process holds locked "I/O error 32"; a full disk "I/O error 28". Throws
// platform::Cancelled when `progress` asks to cancel.
void SaveTable(const merge::ResultTable& table, const std::string& file_name,
               const SaveOptions& options, platform::Progress* progress = nullptr);

// The same lines written to `place` (a file, or standard output); the name
// is not checked for being empty.
void WriteTable(const merge::ResultTable& table, const OutputPlace& place,
                const SaveOptions& options, platform::Progress* progress = nullptr);

} // namespace exporter
