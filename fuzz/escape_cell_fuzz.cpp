// The "#" escape and the UTF-8 conversion of cells on their way out.
//
// Input: byte 0 is the writing delimiter, the rest one cell. Checked:
// - no escaped text holds a byte below 32, nor the delimiter unless the
//   delimiter is a digit or "#" (then escapes are made of it);
// - when the escape is unambiguous (the cell holds no "#", and no digit that
//   stays itself follows an escaped byte), reading every "#" and the digits
//   after it as one byte value gives back the cell;
// - the UTF-8 form of the escaped text is well-formed UTF-8, and its
//   characters taken back through the Windows-1251 table give back the
//   escaped bytes;
// - the table-driven encoder that saving uses writes exactly that UTF-8 form
//   (and the bare escaped text when UTF-8 is off).

#include "export/cell_encoder.h"
#include "export/escape_cell.h"
#include "fuzz_check.h"
#include "platform/codepage.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool IsDigit(char ch) {
  return ch >= '0' && ch <= '9';
}

bool Unambiguous(std::string_view cell, char delimiter) {
  auto escaped = [delimiter](char ch) {
    return ch == delimiter || static_cast<unsigned char>(ch) < 32;
  };
  for (std::size_t i = 0; i < cell.size(); ++i) {
    if (cell[i] == '#')
      return false;
    if (i > 0 && escaped(cell[i - 1]) && IsDigit(cell[i]) && !escaped(cell[i]))
      return false;
  }
  return true;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '#') {
      out.push_back(text[i++]);
      continue;
    }
    ++i;
    int value = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
      value = value * 10 + (text[i++] - '0');
      ++digits;
    }
    FUZZ_CHECK(digits > 0 && value < 256);
    out.push_back(static_cast<char>(value));
  }
  return out;
}

// Strict UTF-8 decoding: no overlong forms, no surrogates, nothing above
// U+10FFFF, no truncated sequence.
std::vector<char32_t> DecodeUtf8(std::string_view text) {
  std::vector<char32_t> chars;
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char b = *p++;
    if (b < 0x80) {
      chars.push_back(b);
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t least = 0;
    if (b >= 0xC0 && b < 0xE0) {
      extra = 1, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b < 0xF0) {
      extra = 2, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b < 0xF8) {
      extra = 3, c = b & 0x07, least = 0x10000;
    } else {
      FUZZ_CHECK(!"a stray continuation byte or an invalid lead byte");
    }
    FUZZ_CHECK(end - p >= extra);
    for (int k = 0; k < extra; ++k) {
      FUZZ_CHECK((*p & 0xC0) == 0x80);
      c = (c << 6) | (*p++ & 0x3F);
    }
    FUZZ_CHECK(c >= least && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF));
    chars.push_back(c);
  }
  return chars;
}

std::string Encode(const exporter::CellEncoder& encoder, std::string_view cell) {
  std::string out(encoder.MaxEncodedSize(cell.size()), '\0');
  char* end = encoder.Encode(cell, out.data());
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  const char delimiter = static_cast<char>(data[0]);
  const std::string_view cell(reinterpret_cast<const char*>(data) + 1, size - 1);

  const std::string escaped = exporter::EscapeCell(cell, delimiter);
  for (const char ch : escaped) {
    FUZZ_CHECK(static_cast<unsigned char>(ch) >= 32);
    if (!IsDigit(delimiter) && delimiter != '#')
      FUZZ_CHECK(ch != delimiter);
  }
  if (Unambiguous(cell, delimiter))
    FUZZ_CHECK(Unescape(escaped) == cell);

  const std::string utf8 = platform::Cp1251ToUtf8(escaped);
  std::string back;
  for (const char32_t c : DecodeUtf8(utf8)) {
    const int byte = platform::UnicodeToCp1251(c);
    FUZZ_CHECK(byte >= 0 && byte < 256);
    back.push_back(static_cast<char>(byte));
  }
  FUZZ_CHECK(back == escaped);

  FUZZ_CHECK(Encode(exporter::CellEncoder(delimiter, true, true), cell) == utf8);
  FUZZ_CHECK(Encode(exporter::CellEncoder(delimiter, true, false), cell) == escaped);
  FUZZ_CHECK(Encode(exporter::CellEncoder(delimiter, false, true), cell) ==
             platform::Cp1251ToUtf8(cell));
  return 0;
}
