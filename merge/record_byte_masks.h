#pragma once
// Marks, 64 bytes at a time, the bytes that can end a run of field text in
// quoted reading: the delimiter, '"', CR, LF and byte 26. A reader walks the
// set bits instead of looking at every byte, so a field costs a bit scan,
// not a call. SSE2 (the x86-64 baseline) compares sixteen bytes at once;
// other machines take the bytes one by one.

#include <cstddef>
#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace merge {

struct ByteMasks {
  std::uint64_t special = 0; // bit k: byte k is one of the five
  std::uint64_t quote = 0;   // bit k: byte k is '"'
};

// The masks of the bytes [from, end) of a buffer, bit 0 for `from`: a window
// of at most 64 bytes that a reader's walk moves through.
struct MarkedWindow {
  ByteMasks masks;
  std::size_t from = 0;
  std::size_t end = 0;
};

class RecordByteMasks {
public:
  // `delimiter` is the delimiter's byte (a long one's first byte).
  explicit RecordByteMasks(char delimiter)
#ifdef __SSE2__
      : delimiter_(_mm_set1_epi8(delimiter)), quote_(_mm_set1_epi8('"')), lf_(_mm_set1_epi8('\n')),
        cr_(_mm_set1_epi8('\r')), data_end_(_mm_set1_epi8(26))
#else
      : delimiter_(delimiter)
#endif
  {
  }

  // The masks of the 64 bytes from `p`, all of which must be readable.
  ByteMasks Mark(const char* p) const {
    ByteMasks out;
#ifdef __SSE2__
    for (int k = 0; k < 4; ++k) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      const __m128i quotes = _mm_cmpeq_epi8(bytes, quote_);
      const __m128i others =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, delimiter_), _mm_cmpeq_epi8(bytes, lf_)),
                       _mm_or_si128(_mm_cmpeq_epi8(bytes, cr_), _mm_cmpeq_epi8(bytes, data_end_)));
      const auto quote_bits = static_cast<std::uint64_t>(_mm_movemask_epi8(quotes) & 0xFFFF);
      const auto other_bits = static_cast<std::uint64_t>(_mm_movemask_epi8(others) & 0xFFFF);
      out.quote |= quote_bits << (16 * k);
      out.special |= (quote_bits | other_bits) << (16 * k);
    }
#else
    for (int k = 0; k < 64; ++k) {
      const char c = p[k];
      const std::uint64_t bit = std::uint64_t{1} << k;
      if (c == '"')
        out.quote |= bit;
      if (c == '"' || c == delimiter_ || c == '\n' || c == '\r' || c == 26)
        out.special |= bit;
    }
#endif
    return out;
  }

  // Moves `window` to the bytes from `at` (< `size`) of `data`.
  void MarkAt(MarkedWindow& window, const char* data, std::size_t size, std::size_t at) const {
    window.masks = Mark(data + at);
    window.from = at;
    window.end = at + 64;
    if (window.end > size) {
      window.end = size;
      const std::uint64_t held = (std::uint64_t{1} << (size - at)) - 1;
      window.masks.special &= held;
      window.masks.quote &= held;
    }
  }

  // The first byte at or after `at` in `data` (of `size` bytes, readable 63
  // bytes further) that is any of the five, or with `quotes_only` a '"';
  // `size` when there is none. Moves `window` on as far as it looks.
  std::size_t Next(MarkedWindow& window, const char* data, std::size_t size, std::size_t at,
                   bool quotes_only) const {
    while (at < size) {
      if (at < window.from || at >= window.end)
        MarkAt(window, data, size, at);
      const std::uint64_t bits =
          (quotes_only ? window.masks.quote : window.masks.special) >> (at - window.from);
      if (bits != 0)
        return at + static_cast<std::size_t>(__builtin_ctzll(bits));
      at = window.end;
    }
    return size;
  }

private:
#ifdef __SSE2__
  __m128i delimiter_, quote_, lf_, cr_, data_end_;
#else
  char delimiter_;
#endif
};

} // namespace merge
