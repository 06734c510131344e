#pragma once
// Writing the table as one delimited text file.

#include <string>

namespace merge {
class Progress;
class ResultTable;
} // namespace merge

namespace exporter {

// Writes rows 0..RowCount-1 of `table`, each as its cells 0..ColCount-1,
// every cell followed by the delimiter byte and every line, the last one
// included, by CR LF; no header, no byte-order mark, no quoting. With
// `escape` each cell goes through EscapeCell first; with `utf8` the cell
// texts (not the delimiters or line ends) are then converted from
// Windows-1251 to UTF-8.
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
// merge::Cancelled when `progress` asks to cancel.
void SaveTable(const merge::ResultTable& table, const std::string& file_name, char delimiter,
               bool escape, bool utf8, merge::Progress* progress = nullptr);

} // namespace exporter
