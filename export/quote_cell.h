#pragma once
// Quoting of the saved table: a cell that would break the file's structure is
// written between quotes, its own quotes doubled, so that a reader that
// honours quotes gets the cell back exactly.

#include <cstddef>
#include <string>
#include <string_view>

namespace exporter {

// True when the cell holds the delimiter, '"', CR, LF or byte 26 (which
// would end a reader's data).
bool NeedsQuotes(std::string_view cell, char delimiter);

// The cell in quotes with each '"' doubled when NeedsQuotes, else unchanged.
std::string QuoteCell(std::string_view cell, char delimiter);

// Writes the quoted form of a cell that NeedsQuotes at `out`, which must have
// room for MaxQuotedSize(cell.size()) bytes; returns the end of what was
// written.
char* WriteQuoted(std::string_view cell, char* out);
constexpr std::size_t MaxQuotedSize(std::size_t size) {
  return 2 * size + 2;
}

} // namespace exporter
