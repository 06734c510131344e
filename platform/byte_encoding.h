#pragma once
// Source files in encodings the table never holds (UTF-16, CP866, KOI8-R)
// are turned into UTF-8 as they are read, before any line or record is cut:
// in UTF-16 a line end is two bytes, one of them zero, so the bytes
// themselves cannot be split.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class ByteEncoding : std::uint8_t {
  kAsIs,    // the bytes are read as they stand
  kUtf16Le, // a UTF-16 mark, when there is one, comes out as UTF-8's
  kUtf16Be,
  kCp866,
  kKoi8r,
};

// The UTF-16 mark at the start of `bytes`, if any: kUtf16Le or kUtf16Be,
// else kAsIs.
inline ByteEncoding Utf16MarkOf(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE')
    return ByteEncoding::kUtf16Le;
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF')
    return ByteEncoding::kUtf16Be;
  return ByteEncoding::kAsIs;
}

// Turns a file's bytes, given block after block, into UTF-8. A UTF-16 unit
// cut between blocks waits for its second byte; a surrogate without its
// partner, and a lone byte at the end, become U+FFFD.
class ToUtf8Decoder {
public:
  explicit ToUtf8Decoder(ByteEncoding encoding) : encoding_(encoding) {}

  // Appends the UTF-8 of `raw` to `out`; `at_end` when no bytes follow.
  void Decode(std::string_view raw, bool at_end, std::string& out);
  // Characters written as U+FFFD so far.
  std::int64_t Replaced() const { return replaced_; }
  // The most UTF-8 bytes one raw byte can give.
  static constexpr std::size_t kMaxGrowth = 3;

private:
  void TakeUnit(char16_t unit, std::string& out);

  ByteEncoding encoding_;
  bool has_odd_ = false;
  unsigned char odd_ = 0;
  char16_t high_ = 0; // a high surrogate waiting for its low one
  std::int64_t replaced_ = 0;
};

} // namespace platform
