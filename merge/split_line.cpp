#include "merge/split_line.h"

#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace merge {

std::optional<char> ReadingDelimiter(std::string_view edit2_text) {
  if (edit2_text.empty())
    return std::nullopt;
  return edit2_text.front();
}

void SplitLine(std::string_view line, std::optional<char> delimiter,
               std::vector<std::string_view>& fields) {
  fields.clear();
  if (line.empty())
    return;
  if (!delimiter) {
    fields.push_back(line);
    return;
  }
  const char d = *delimiter;
  const char* const begin = line.data();
  const std::size_t n = line.size();
  const char* field = begin;
  std::size_t i = 0;
#ifdef __SSE2__
  // Sixteen bytes at a time: fields are short, so one call of memchr per
  // field would cost more than the scan itself.
  const __m128i wanted = _mm_set1_epi8(d);
  for (; i + 16 <= n; i += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(begin + i));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
    while (mask != 0) {
      const char* hit = begin + i + __builtin_ctz(mask);
      fields.emplace_back(field, static_cast<std::size_t>(hit - field));
      field = hit + 1;
      mask &= mask - 1;
    }
  }
#endif
  for (; i < n; ++i) {
    if (begin[i] == d) {
      fields.emplace_back(field, static_cast<std::size_t>(begin + i - field));
      field = begin + i + 1;
    }
  }
  // The last field, unless the line's last byte was the delimiter.
  if (field != begin + n)
    fields.emplace_back(field, static_cast<std::size_t>(begin + n - field));
}

std::vector<std::string_view> SplitLine(std::string_view line, std::optional<char> delimiter) {
  std::vector<std::string_view> fields;
  SplitLine(line, delimiter, fields);
  return fields;
}

} // namespace merge
