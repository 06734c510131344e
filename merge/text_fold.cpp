#include "merge/text_fold.h"

#include <array>

namespace merge {

namespace {

// Windows-1251's capitals and their small letters, beside the Latin ones.
std::array<unsigned char, 256> Cp1251Folding() {
  std::array<unsigned char, 256> fold{};
  for (int b = 0; b < 256; ++b)
    fold[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b);
  for (int b = 'A'; b <= 'Z'; ++b)
    fold[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b + 32);
  for (int b = 0xC0; b <= 0xDF; ++b) // А .. Я
    fold[static_cast<std::size_t>(b)] = static_cast<unsigned char>(b + 32);
  const unsigned char pairs[][2] = {{0xA8, 0xB8}, {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A},
                                    {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E}, {0x8F, 0x9F},
                                    {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xAA, 0xBA},
                                    {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE}};
  for (const auto& pair : pairs)
    fold[pair[0]] = pair[1];
  return fold;
}

void FoldUtf8(std::string_view text, std::string& out) {
  const std::size_t n = text.size();
  for (std::size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 'A' && c <= 'Z') {
      out[i] = static_cast<char>(c + 32);
      continue;
    }
    if (i + 1 >= n)
      continue;
    const auto d = static_cast<unsigned char>(text[i + 1]);
    if (c == 0xC3 && d >= 0x80 && d <= 0x9E && d != 0x97) { // À .. Þ
      out[i + 1] = static_cast<char>(d + 32);
      ++i;
    } else if (c == 0xD0 && d >= 0x80 && d <= 0x8F) { // Ѐ .. Џ
      out[i] = static_cast<char>(0xD1);
      out[i + 1] = static_cast<char>(d + 0x10);
      ++i;
    } else if (c == 0xD0 && d >= 0x90 && d <= 0x9F) { // А .. П
      out[i + 1] = static_cast<char>(d + 0x20);
      ++i;
    } else if (c == 0xD0 && d >= 0xA0 && d <= 0xAF) { // Р .. Я
      out[i] = static_cast<char>(0xD1);
      out[i + 1] = static_cast<char>(d - 0x20);
      ++i;
    }
  }
}

} // namespace

void FoldCase(std::string_view text, TextEncoding encoding, std::string& folded) {
  folded.assign(text.data(), text.size());
  if (encoding == TextEncoding::kUtf8) {
    FoldUtf8(text, folded);
    return;
  }
  static const std::array<unsigned char, 256> fold = Cp1251Folding();
  for (char& c : folded)
    c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
}

} // namespace merge
