// The text of Edit3 read as a whole number the lenient way: as far as it
// goes, never failing.

#include "merge/skip_count.h"

namespace merge {

namespace {

int DigitValue(char ch, std::uint32_t base) {
  int value = -1;
  if (ch >= '0' && ch <= '9')
    value = ch - '0';
  else if (ch >= 'A' && ch <= 'F')
    value = ch - 'A' + 10;
  else if (ch >= 'a' && ch <= 'f')
    value = ch - 'a' + 10;
  return value >= 0 && static_cast<std::uint32_t>(value) < base ? value : -1;
}

} // namespace

std::int32_t ParseSkipCount(const std::string& text) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') // spaces only; a tab stops the number
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::uint32_t base = 10;
  if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  // Past this value one more digit could overflow 32 bits: reading stops.
  const std::uint32_t limit = base == 10 ? 214748364u : 268435455u;
  std::uint32_t value = 0;
  bool any_digit = false;
  bool stopped = false;
  for (; i < n; ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0 || value > limit) {
      stopped = true;
      break;
    }
    value = value * base + static_cast<std::uint32_t>(digit);
    any_digit = true;
  }
  if (!stopped && any_digit && negative)
    value = 0u - value;
  // A stop keeps the value read so far, without its sign.
  return static_cast<std::int32_t>(value);
}

} // namespace merge
