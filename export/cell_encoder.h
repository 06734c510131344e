#pragma once
// The transformation of cell texts on their way into the saved file (escape,
// then Windows-1251 to UTF-8), done byte by byte through a table built once
// per save so that it writes straight into the output buffer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace exporter {

class CellEncoder {
public:
  // Longest output of one input byte: "#255", or a three-byte UTF-8 form.
  static constexpr std::size_t kMaxBytesPerByte = 4;

  CellEncoder(char delimiter, bool escape, bool utf8);

  // True when every byte stands for itself (no escape, no UTF-8).
  bool IsPlain() const { return plain_; }
  // Writes the encoded `cell` at `out`, which must have room for
  // kMaxBytesPerByte * cell.size() bytes; returns the end of what was written.
  char* Encode(std::string_view cell, char* out) const {
    if (plain_) {
      std::memcpy(out, cell.data(), cell.size());
      return out + cell.size();
    }
    for (const char ch : cell) {
      const auto byte = static_cast<unsigned char>(ch);
      std::memcpy(out, &words_[byte], kMaxBytesPerByte);
      out += lengths_[byte];
    }
    return out;
  }
  // The most bytes `size` input bytes can become.
  std::size_t MaxEncodedSize(std::size_t size) const {
    return plain_ ? size : size * kMaxBytesPerByte;
  }

private:
  // Each byte's code as one word, its bytes in memory order, and its length
  // apart: one aligned load and one store a byte.
  std::array<std::uint32_t, 256> words_{};
  std::array<std::uint8_t, 256> lengths_{};
  bool plain_;
};

} // namespace exporter
