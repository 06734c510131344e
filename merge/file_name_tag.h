#pragma once
// The text of the cell that closes every row of a file when file names are
// added: the full path, or the bare name without its extension.

#include "merge/text_encoding.h"

#include <string>
#include <string_view>

namespace merge {

// With `name_only` false the path itself; otherwise the part after the last
// "/" cut before the first place where its extension (from the last "." on)
// occurs: "a.b.csv" gives "a.b", "x.csv.csv" gives "x", ".csv" gives "".
// The result is a cell text: a file name in UTF-8 is converted to
// Windows-1251; bytes that do not form UTF-8 are kept as they are.
// In a UTF-8 table (`encoding`) the name stays UTF-8; bytes that do not
// form UTF-8 are taken as Windows-1251 and converted.
std::string FileNameTag(std::string_view path, bool name_only,
                        TextEncoding encoding = TextEncoding::kCp1251);

} // namespace merge
