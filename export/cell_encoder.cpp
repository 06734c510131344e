#include "export/cell_encoder.h"

#include "export/escape_cell.h"
#include "platform/codepage.h"

#include <cstring>
#include <string>

namespace exporter {

CellEncoder::CellEncoder(char delimiter, bool escape, bool utf8) : plain_(!escape && !utf8) {
  // Built from the reference routines, so the fast path cannot drift from them.
  for (int value = 0; value < 256; ++value) {
    std::string code(1, static_cast<char>(value));
    if (escape)
      code = EscapeCell(code, delimiter);
    if (utf8)
      code = platform::Cp1251ToUtf8(code);
    std::memcpy(&words_[value], code.data(), code.size());
    lengths_[value] = static_cast<std::uint8_t>(code.size());
  }
}

} // namespace exporter
