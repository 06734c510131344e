#include "merge/file_name_tag.h"

#include "platform/codepage.h"

namespace merge {

namespace {

// Decodes strict UTF-8; false on any malformed sequence.
bool DecodeUtf8(std::string_view in, std::u16string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size();) {
    const auto b0 = static_cast<unsigned char>(in[i]);
    char32_t c;
    std::size_t len;
    if (b0 < 0x80) {
      c = b0;
      len = 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
      c = b0 & 0x1F;
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      c = b0 & 0x0F;
      len = 3;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      c = b0 & 0x07;
      len = 4;
    } else {
      return false;
    }
    if (i + len > in.size())
      return false;
    for (std::size_t k = 1; k < len; ++k) {
      const auto b = static_cast<unsigned char>(in[i + k]);
      if ((b & 0xC0) != 0x80)
        return false;
      c = (c << 6) | (b & 0x3F);
    }
    if ((len == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
        (len == 4 && (c < 0x10000 || c > 0x10FFFF)))
      return false;
    if (c >= 0x10000) {
      // Outside the code page anyway; keep one unit so it becomes one "?".
      out.push_back(u'\uFFFD');
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return true;
}

std::string ToCellText(std::string_view name) {
  std::u16string utf16;
  if (!DecodeUtf8(name, utf16))
    return std::string(name);
  return platform::Utf16ToCp1251(utf16);
}

} // namespace

std::string FileNameTag(std::string_view path, bool name_only) {
  if (!name_only)
    return ToCellText(path);
  std::string_view name = path;
  if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return ToCellText(name);
  const std::string_view extension = name.substr(dot);
  return ToCellText(name.substr(0, name.find(extension)));
}

} // namespace merge
