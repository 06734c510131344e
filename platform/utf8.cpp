#include "platform/utf8.h"

#include "platform/codepage.h"

#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

using Byte = unsigned char;

#if defined(__SSE2__)
constexpr std::ptrdiff_t kBlock = 16;

// Bit i set when byte i of the sixteen at p is 0x80 or above.
inline int HighBits(const Byte* p) {
  return _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
inline void Copy16(char* out, const Byte* p) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}
inline int FirstHigh(int bits) {
  return __builtin_ctz(static_cast<unsigned>(bits));
}
#else
// Without SSE2 the same test a machine word at a time.
constexpr std::ptrdiff_t kBlock = 8;
inline std::uint64_t HighBits(const Byte* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word & 0x8080808080808080ULL;
}
inline void Copy16(char* out, const Byte* p) {
  std::memcpy(out, p, kBlock);
}
inline int FirstHigh(std::uint64_t bits) {
  return __builtin_ctzll(bits) / 8; // little-endian: the lowest address is the lowest byte
}
#endif

// The first byte at or after p that is 0x80 or above, or end.
inline const Byte* SkipAscii(const Byte* p, const Byte* end) {
#if defined(__SSE2__)
  // Long ASCII runs: four blocks a step.
  while (end - p >= 4 * kBlock) {
    const auto* v = reinterpret_cast<const __m128i*>(p);
    const __m128i any = _mm_or_si128(_mm_or_si128(_mm_loadu_si128(v), _mm_loadu_si128(v + 1)),
                                     _mm_or_si128(_mm_loadu_si128(v + 2), _mm_loadu_si128(v + 3)));
    if (_mm_movemask_epi8(any) != 0)
      break;
    p += 4 * kBlock;
  }
#endif
  while (end - p >= kBlock) {
    const auto bits = HighBits(p);
    if (bits != 0)
      return p + FirstHigh(bits);
    p += kBlock;
  }
  while (p < end && *p < 0x80)
    ++p;
  return p;
}

// The length (2 to 4) of the UTF-8 sequence whose lead byte is at p, or 0
// when its bytes break the rules; `cut` tells a sequence that is sound so
// far but that `end` cuts short.
inline int SequenceLength(const Byte* p, const Byte* end, bool& cut) {
  const Byte lead = p[0];
  int length;
  // The range of the second byte: narrower after E0, ED, F0 and F4, which
  // rules out overlong forms, surrogates and values above U+10FFFF.
  Byte low = 0x80;
  Byte high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0;
    else if (lead == 0xED)
      high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    else if (lead == 0xF4)
      high = 0x8F;
  } else {
    return 0;
  }
  const std::ptrdiff_t available = end - p;
  for (int i = 1; i < length; ++i) {
    if (i >= available) {
      cut = true;
      return 0;
    }
    const Byte next = p[i];
    if (i == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
      return 0;
  }
  return length;
}

inline char32_t DecodeSequence(const Byte* p, int length) {
  switch (length) {
  case 2:
    return (char32_t(p[0] & 0x1F) << 6) | (p[1] & 0x3F);
  case 3:
    return (char32_t(p[0] & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
  default:
    return (char32_t(p[0] & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
           (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
  }
}

// The UTF-8 form of each byte 0x80 to 0xFF, as one word (its bytes in
// memory order) and its length apart: one load and one store a byte.
struct HighByteForms {
  std::array<std::uint32_t, 128> words{};
  std::array<Byte, 128> lengths{};
  HighByteForms() {
    for (int i = 0; i < 128; ++i) {
      const std::string form = platform::Cp1251ToUtf8(std::string(1, static_cast<char>(0x80 + i)));
      std::memcpy(&words[i], form.data(), form.size());
      lengths[i] = static_cast<Byte>(form.size());
    }
  }
};

const HighByteForms& Forms() {
  static const HighByteForms forms;
  return forms;
}

// Copies ASCII a block at a time, up to the first block that holds a high
// byte: the whole block is stored, the part before its first high byte
// counts. The caller makes sure a whole block fits at `out`.
inline void CopyAsciiBlocks(const Byte*& p, const Byte* end, char*& out) {
  while (end - p >= kBlock) {
    const auto bits = HighBits(p);
    Copy16(out, p);
    if (bits == 0) {
      p += kBlock;
      out += kBlock;
      continue;
    }
    const int ascii = FirstHigh(bits);
    p += ascii;
    out += ascii;
    return;
  }
}

} // namespace

Utf8Scan ScanUtf8(std::string_view bytes) {
  Utf8Scan scan;
  const auto* p = reinterpret_cast<const Byte*>(bytes.data());
  const Byte* const end = p + bytes.size();
  for (;;) {
    p = SkipAscii(p, end);
    if (p == end)
      return scan;
    scan.non_ascii = true;
    // A run of non-ASCII text, sequence after sequence.
    do {
      bool cut = false;
      const int length = SequenceLength(p, end, cut);
      if (length == 0) {
        if (cut)
          scan.cut_short = static_cast<std::size_t>(end - p);
        else
          scan.valid = false;
        return scan;
      }
      p += length;
    } while (p < end && *p >= 0x80);
  }
}

char* Cp1251ToUtf8(std::string_view bytes, char* out) {
  const HighByteForms& forms = Forms();
  const auto* p = reinterpret_cast<const Byte*>(bytes.data());
  const Byte* const end = p + bytes.size();
  while (p < end) {
    // Each input byte gives at least one output byte: a block always fits.
    CopyAsciiBlocks(p, end, out);
    // Then byte by byte up to the next ASCII byte that starts a block.
    while (p < end) {
      const Byte b = *p;
      if (b < 0x80) {
        if (end - p >= kBlock)
          break;
        *out++ = static_cast<char>(b);
        ++p;
        continue;
      }
      // A whole word is stored only while the room left surely takes it.
      if (end - p >= 2)
        std::memcpy(out, &forms.words[b - 0x80], sizeof(std::uint32_t));
      else
        std::memcpy(out, &forms.words[b - 0x80], forms.lengths[b - 0x80]);
      out += forms.lengths[b - 0x80];
      ++p;
    }
  }
  return out;
}

char* Utf8ToCp1251(std::string_view bytes, char* out, std::int64_t& replaced) {
  const auto* p = reinterpret_cast<const Byte*>(bytes.data());
  const Byte* const end = p + bytes.size();
  while (p < end) {
    // The output never runs ahead of the input: a block always fits.
    CopyAsciiBlocks(p, end, out);
    while (p < end) {
      const Byte b = *p;
      if (b < 0x80) {
        if (end - p >= kBlock)
          break;
        *out++ = static_cast<char>(b);
        ++p;
        continue;
      }
      bool cut = false;
      const int length = SequenceLength(p, end, cut);
      if (length == 0) {
        // Not UTF-8: the byte stays what it is.
        *out++ = static_cast<char>(b);
        ++p;
        continue;
      }
      const int mapped = UnicodeToCp1251(DecodeSequence(p, length));
      if (mapped < 0) {
        *out++ = '?';
        ++replaced;
      } else {
        *out++ = static_cast<char>(mapped);
      }
      p += length;
    }
  }
  return out;
}

std::string Utf8ToCp1251(std::string_view bytes, std::int64_t& replaced) {
  std::string out(bytes.size(), '\0');
  char* const end = Utf8ToCp1251(bytes, out.data(), replaced);
  out.resize(static_cast<std::size_t>(end - out.data()));
  return out;
}

std::int64_t AppendRepairedUtf8(std::string_view bytes, std::string& out) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::int64_t repaired = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(bytes[i++]);
      continue;
    }
    // The length a lead byte announces and the range of the byte after it.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      low = b == 0xE0 ? 0xA0 : 0x80;
      high = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      low = b == 0xF0 ? 0x90 : 0x80;
      high = b == 0xF4 ? 0x8F : 0xBF;
    }
    std::size_t valid = 1; // bytes of the sequence that fit so far
    while (length != 0 && valid < length && i + valid < bytes.size()) {
      const auto next = static_cast<unsigned char>(bytes[i + valid]);
      if (next < low || next > high)
        break;
      ++valid;
      low = 0x80;
      high = 0xBF;
    }
    if (length != 0 && valid == length) {
      out.append(bytes.substr(i, length));
    } else {
      out.append(kReplacement);
      ++repaired;
    }
    i += valid;
  }
  return repaired;
}

} // namespace platform
