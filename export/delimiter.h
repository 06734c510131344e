#pragma once
// The delimiter byte of the saved table, taken from the text the user chose.

#include <string_view>

namespace exporter {

// The first byte of `text` (Windows-1251); whatever follows is ignored, so
// "        (Tab)" gives a space. An empty text gives ",", the delimiter the
// program starts with: the table is then still written with its cells
// apart, rather than run together without delimiters or not written at all.
char DelimiterFromText(std::string_view text);

} // namespace exporter
