#include "platform/codepage.h"

#include <array>

namespace platform {

namespace {

// Unicode of the bytes 0x80 to 0xFF in Windows-1251. The byte 0x98 has no
// character there; it maps to U+0098 so that every byte survives a round trip.
constexpr std::array<char16_t, 128> kHighBytes = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

struct ReverseTable {
  // Unicode 0x0080..0x04FF and 0x2000..0x21FF cover every character of the
  // code page; anything else has no byte.
  std::array<unsigned char, 0x0500> low{};
  std::array<unsigned char, 0x0200> punct{};
  ReverseTable() {
    for (int i = 0; i < 128; ++i) {
      const char16_t u = kHighBytes[i];
      const auto byte = static_cast<unsigned char>(0x80 + i);
      if (u < 0x0500)
        low[u] = byte;
      else if (u >= 0x2000 && u < 0x2200)
        punct[u - 0x2000] = byte;
    }
  }
};

const ReverseTable& Reverse() {
  static const ReverseTable table;
  return table;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

char16_t Cp1251ToUnicode(unsigned char byte) {
  return byte < 0x80 ? char16_t(byte) : kHighBytes[byte - 0x80];
}

int UnicodeToCp1251(char32_t c) {
  if (c < 0x80)
    return static_cast<int>(c);
  const ReverseTable& r = Reverse();
  unsigned char b = 0;
  if (c < 0x0500)
    b = r.low[c];
  else if (c >= 0x2000 && c < 0x2200)
    b = r.punct[c - 0x2000];
  return b == 0 ? -1 : b;
}

std::u16string Cp1251ToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (const char ch : bytes)
    out.push_back(Cp1251ToUnicode(static_cast<unsigned char>(ch)));
  return out;
}

char32_t CodePointAt(std::u16string_view text, std::size_t& i) {
  const char32_t c = text[i];
  if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
      text[i + 1] < 0xE000) {
    ++i;
    return 0x10000 + ((c - 0xD800) << 10) + (text[i] - 0xDC00);
  }
  return c;
}

std::string Utf16ToCp1251(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t c = CodePointAt(text, i);
    const int b = UnicodeToCp1251(c);
    out.push_back(b < 0 ? '?' : static_cast<char>(b));
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  AppendCp1251AsUtf8(out, bytes);
  return out;
}

void AppendCp1251AsUtf8(std::string& out, std::string_view bytes) {
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b < 0x80)
      out.push_back(ch);
    else
      AppendUtf8(out, kHighBytes[b - 0x80]);
  }
}

std::string FileNameToCp1251(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  const auto* p = reinterpret_cast<const unsigned char*>(name.data());
  const auto* end = p + name.size();
  while (p < end) {
    const unsigned char b = *p;
    const int extra = b >= 0xC2 && b < 0xE0   ? 1
                      : b >= 0xE0 && b < 0xF0 ? 2
                      : b >= 0xF0 && b < 0xF5 ? 3
                                              : 0;
    if (b < 0x80 || extra == 0 || end - p <= extra) {
      out.push_back(static_cast<char>(b));
      ++p;
      continue;
    }
    char32_t c = b & (0x3F >> extra);
    bool valid = true;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) {
        valid = false;
        break;
      }
      c = (c << 6) | (p[i] & 0x3F);
    }
    // Only the shortest form of a character counts, and no surrogate: an
    // overlong "E0 81 81" is not an "A", it is three bytes kept as they are.
    const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
    if (valid && (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)))
      valid = false;
    if (!valid) {
      out.push_back(static_cast<char>(b));
      ++p;
      continue;
    }
    const int mapped = UnicodeToCp1251(c);
    out.push_back(mapped < 0 ? '?' : static_cast<char>(mapped));
    p += extra + 1;
  }
  return out;
}

} // namespace platform
