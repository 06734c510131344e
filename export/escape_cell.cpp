#include "export/escape_cell.h"

namespace exporter {

std::string EscapeCell(std::string_view cell, char delimiter) {
  std::string out;
  out.reserve(cell.size());
  for (const char ch : cell) {
    const auto byte = static_cast<unsigned char>(ch);
    if (ch == delimiter || byte < 32) {
      out.push_back('#');
      out += std::to_string(byte);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

} // namespace exporter
