#include "export/quote_cell.h"

#include <cstring>

namespace exporter {

bool NeedsQuotes(std::string_view cell, char delimiter) {
  for (const char ch : cell) {
    if (ch == delimiter || ch == '"' || ch == '\r' || ch == '\n' || ch == '\x1a')
      return true;
  }
  return false;
}

char* WriteQuoted(std::string_view cell, char* out) {
  *out++ = '"';
  while (!cell.empty()) {
    const std::size_t quote = cell.find('"');
    const std::size_t run = quote == std::string_view::npos ? cell.size() : quote + 1;
    std::memcpy(out, cell.data(), run);
    out += run;
    if (quote != std::string_view::npos)
      *out++ = '"'; // the quote written twice
    cell.remove_prefix(run);
  }
  *out++ = '"';
  return out;
}

std::string QuoteCell(std::string_view cell, char delimiter) {
  if (!NeedsQuotes(cell, delimiter))
    return std::string(cell);
  std::string out(MaxQuotedSize(cell.size()), '\0');
  out.resize(static_cast<std::size_t>(WriteQuoted(cell, out.data()) - out.data()));
  return out;
}

} // namespace exporter
