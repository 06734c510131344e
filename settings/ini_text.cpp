#include "settings/ini_text.h"

#include "platform/codepage.h"
#include "platform/directory.h"

namespace settings {

using platform::AppendUtf8;
using platform::CodePointAt;
using platform::Cp1251ToUtf16;
using platform::UnicodeToCp1251;
using platform::Utf16ToCp1251;

namespace {

// Decodes one UTF-8 character at `p`; 0 bytes taken when none starts there.
std::size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t& c) {
  const unsigned char b = *p;
  if (b < 0x80) {
    c = b;
    return 1;
  }
  const int extra = b >= 0xC2 && b < 0xE0   ? 1
                    : b >= 0xE0 && b < 0xF0 ? 2
                    : b >= 0xF0 && b < 0xF5 ? 3
                                            : 0;
  if (extra == 0 || end - p <= extra)
    return 0;
  c = b & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80)
      return 0;
    c = (c << 6) | (p[i] & 0x3F);
  }
  const char32_t least = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
  if (c < least || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
    return 0;
  return static_cast<std::size_t>(extra) + 1;
}

bool ToUtf16(std::string_view bytes, std::u16string& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    char32_t c = 0;
    const std::size_t n = DecodeUtf8(p, end, c);
    if (n == 0)
      return false;
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    p += n;
  }
  return true;
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = CodePointAt(text, i);
    if (c >= 0xD800 && c < 0xE000)
      c = 0xFFFD; // a lone surrogate has no UTF-8
    AppendUtf8(out, c);
  }
  return out;
}

bool HoldsInCodePage(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] >= 0xD800 && text[i] < 0xE000)
      return false;
    if (UnicodeToCp1251(text[i]) < 0)
      return false;
  }
  return true;
}

} // namespace

bool IsNonAsciiUtf8(std::string_view bytes) {
  bool high = false;
  for (const char ch : bytes)
    high = high || static_cast<unsigned char>(ch) >= 0x80;
  std::u16string ignored;
  return high && ToUtf16(bytes, ignored);
}

std::string TextToIni(std::u16string_view text) {
  if (HoldsInCodePage(text)) {
    std::string bytes = Utf16ToCp1251(text);
    // Code page bytes that would read back as UTF-8 are stored as UTF-8.
    if (!IsNonAsciiUtf8(bytes))
      return bytes;
  }
  return ToUtf8(text);
}

std::u16string IniToText(std::string_view bytes) {
  std::u16string text;
  if (IsNonAsciiUtf8(bytes) && ToUtf16(bytes, text))
    return text;
  return Cp1251ToUtf16(bytes);
}

std::string FileNameToIni(std::string_view name) {
  std::u16string text;
  if (!ToUtf16(name, text))
    return std::string(name); // no UTF-8: the bytes as they are
  return TextToIni(text);
}

std::vector<std::string> IniToFileNames(std::string_view value) {
  std::vector<std::string> names{ToUtf8(IniToText(value))};
  if (names.front() != value)
    names.emplace_back(value);
  return names;
}

std::string IniToDirectory(std::string_view value) {
  const std::vector<std::string> names = IniToFileNames(value);
  for (const std::string& name : names) {
    if (platform::IsDirectory(name))
      return name;
  }
  return names.front();
}

} // namespace settings
