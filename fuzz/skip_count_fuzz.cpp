// The skip count read from the text of Edit3.
//
// Any text: no crash. Then the input is also read as the recipe of a text
// made only of leading spaces, an optional sign and decimal digits, and the
// result for that text must equal a reference worked out in 64-bit
// arithmetic: digits are taken while the value so far is at most 214748364;
// a text read to its end with a digit gives the value with its sign reduced
// to 32 bits, a stop gives the value read so far without its sign.

#include "fuzz_check.h"
#include "merge/collect.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::int32_t Reference(int spaces, int sign, const std::string& digits) {
  (void)spaces; // spaces are passed over
  std::int64_t value = 0;
  bool stopped = false;
  for (const char ch : digits) {
    if (value > 214748364) {
      stopped = true;
      break;
    }
    value = value * 10 + (ch - '0');
  }
  if (!stopped && !digits.empty() && sign < 0)
    value = -value;
  // Two's complement in 32 bits, written out so as not to lean on a cast.
  std::int64_t reduced = value % 4294967296;
  if (reduced < 0)
    reduced += 4294967296;
  if (reduced >= 2147483648)
    reduced -= 4294967296;
  return static_cast<std::int32_t>(reduced);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  (void)merge::ParseSkipCount(raw);

  if (size < 2)
    return 0;
  // Digits may start at the edges of the 32-bit range, which random bytes
  // would hardly ever reach.
  static const char* const kEdges[] = {"",           "214748364",  "214748365", "2147483647",
                                       "2147483648", "4294967295", "999999999", "0000000000"};
  const int spaces = data[0] % 4;
  const char* edge = kEdges[(data[0] / 4) % (sizeof kEdges / sizeof kEdges[0])];
  const int sign = data[1] % 3 == 0 ? 0 : data[1] % 3 == 1 ? 1 : -1;
  std::string digits = edge;
  for (std::size_t i = 2; i < size; ++i)
    digits.push_back(static_cast<char>('0' + data[i] % 10));
  std::string text(static_cast<std::size_t>(spaces), ' ');
  if (sign != 0)
    text.push_back(sign > 0 ? '+' : '-');
  text += digits;
  const std::int32_t got = merge::ParseSkipCount(text);
  const std::int32_t want = Reference(spaces, sign, digits);
  if (got != want) {
    std::fprintf(stderr, "ParseSkipCount(\"%s\") = %d, want %d\n", text.c_str(), got, want);
    FUZZ_CHECK(got == want);
  }
  return 0;
}
