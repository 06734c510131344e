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

namespace {

// Writes fields over the vector's old entries and trims it at the end, so
// that a vector reused line after line costs no capacity check per field.
class FieldWriter {
public:
  explicit FieldWriter(std::vector<std::string_view>& fields) : fields_(fields) {}
  void Add(const char* begin, const char* end) {
    if (count_ == fields_.size())
      Grow();
    fields_[count_++] = std::string_view(begin, static_cast<std::size_t>(end - begin));
  }
  void Finish() { fields_.resize(count_); }

private:
  __attribute__((noinline)) void Grow() { fields_.resize(fields_.size() * 2 + 16); }

  std::vector<std::string_view>& fields_;
  std::size_t count_ = 0;
};

#ifdef __SSE2__
// Bit k set when chunk[k] is the delimiter.
inline unsigned Matches(const char* chunk, __m128i wanted) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, wanted)));
}

// Closes a field at every delimiter the mask marks in the chunk.
inline void TakeHits(const char* chunk, unsigned mask, const char*& field, FieldWriter& out) {
  while (mask != 0) {
    const char* hit = chunk + __builtin_ctz(mask);
    out.Add(field, hit);
    field = hit + 1;
    mask &= mask - 1;
  }
}
#endif

} // namespace

void SplitLine(std::string_view line, std::optional<char> delimiter,
               std::vector<std::string_view>& fields) {
  if (line.empty()) {
    fields.clear();
    return;
  }
  if (!delimiter) {
    fields.assign(1, line);
    return;
  }
  const char d = *delimiter;
  const char* const begin = line.data();
  const char* const end = begin + line.size();
  const std::size_t n = line.size();
  const char* field = begin;
  std::size_t i = 0;
  FieldWriter out(fields);
#ifdef __SSE2__
  // Sixteen bytes at a time: fields are short, so one call of memchr per
  // field would cost more than the scan itself.
  if (n >= 16) {
    const __m128i wanted = _mm_set1_epi8(d);
    for (; i + 16 <= n; i += 16)
      TakeHits(begin + i, Matches(begin + i, wanted), field, out);
    if (i < n) {
      // The line's last sixteen bytes, without those already scanned.
      const std::size_t seen = i - (n - 16);
      TakeHits(end - 16, Matches(end - 16, wanted) & ~((1u << seen) - 1), field, out);
      i = n;
    }
  }
#endif
  for (; i < n; ++i) {
    if (begin[i] == d) {
      out.Add(field, begin + i);
      field = begin + i + 1;
    }
  }
  // The last field, unless the line's last byte was the delimiter.
  if (field != end)
    out.Add(field, end);
  out.Finish();
}

void SplitLineAt(std::string_view line, std::string_view delimiter,
                 std::vector<std::string_view>& fields) {
  fields.clear();
  if (line.empty())
    return;
  std::size_t field = 0;
  for (std::size_t hit = line.find(delimiter); hit != std::string_view::npos;
       hit = line.find(delimiter, field)) {
    fields.push_back(line.substr(field, hit - field));
    field = hit + delimiter.size();
  }
  // The last field, unless the line ended with the delimiter.
  if (field != line.size())
    fields.push_back(line.substr(field));
}

std::vector<std::string_view> SplitLine(std::string_view line, std::optional<char> delimiter) {
  std::vector<std::string_view> fields;
  SplitLine(line, delimiter, fields);
  return fields;
}

} // namespace merge
