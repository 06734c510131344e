#include "merge/cell_number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace merge {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
    text.remove_suffix(1);
  return text;
}

} // namespace

std::optional<double> CellNumber(std::string_view text) {
  text = Trimmed(text);
  std::size_t i = 0;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '-' || text[i] == '+'))
    ++i;
  const std::size_t mantissa = i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i, ++digits;
  std::size_t point = std::string_view::npos;
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    point = i++;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++digits;
  }
  if (digits == 0)
    return std::nullopt;
  bool exponent_negative = false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t e = i + 1;
    if (e < text.size() && (text[e] == '-' || text[e] == '+'))
      exponent_negative = text[e++] == '-';
    if (e == text.size() || !IsDigit(text[e]))
      return std::nullopt;
    while (e < text.size() && IsDigit(text[e]))
      ++e;
    i = e;
  }
  if (i != text.size())
    return std::nullopt;
  std::string plain(text.substr(mantissa));
  if (point != std::string_view::npos)
    plain[point - mantissa] = '.';
  double value = 0;
  const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range)
    value = exponent_negative ? 0.0 : HUGE_VAL;
  else if (error != std::errc())
    return std::nullopt;
  if (value == 0)
    return 0.0; // -0 sorts with 0
  return negative ? -value : value;
}

} // namespace merge
