// UTF-8 checking and conversion on any bytes: the check agrees with a plain
// decoder, every Windows-1251 text survives the way to UTF-8 and back, and
// valid UTF-8 whose characters the code page holds comes back unchanged.

#include "fuzz_check.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The length of the valid prefix, decoding the value and judging it.
std::size_t ValidPrefix(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t n = b < 0x80         ? 1
                          : (b >> 5) == 6  ? 2
                          : (b >> 4) == 14 ? 3
                          : (b >> 3) == 30 ? 4
                                           : 0;
    if (n == 0 || i + n > s.size())
      return i;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
      const auto cont = static_cast<unsigned char>(s[i + k]);
      if ((cont & 0xC0) != 0x80)
        return i;
      c = (c << 6) | (cont & 0x3F);
    }
    const char32_t shortest = n == 1 ? 0 : n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (c < shortest || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
      return i;
    i += n;
  }
  return i;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const platform::Utf8Scan scan = platform::ScanUtf8(bytes);
  const std::size_t valid = ValidPrefix(bytes);
  FUZZ_CHECK(platform::IsValidUtf8(bytes) == (valid == size));
  if (scan.valid && scan.cut_short > 0)
    FUZZ_CHECK(valid == size - scan.cut_short);

  std::string utf8(platform::MaxCp1251AsUtf8(size), '\0');
  utf8.resize(static_cast<std::size_t>(platform::Cp1251ToUtf8(bytes, utf8.data()) - utf8.data()));
  FUZZ_CHECK(utf8 == platform::Cp1251ToUtf8(bytes));
  FUZZ_CHECK(platform::IsValidUtf8(utf8));
  std::int64_t replaced = 0;
  FUZZ_CHECK(platform::Utf8ToCp1251(utf8, replaced) == bytes);
  FUZZ_CHECK(replaced == 0);

  if (valid == size) {
    const std::string back = platform::Utf8ToCp1251(bytes, replaced);
    if (replaced == 0)
      FUZZ_CHECK(platform::Cp1251ToUtf8(back) == bytes);
  }
  return 0;
}
