#include "platform/codepage.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string AllBytes() {
  std::string bytes(256, '\0');
  for (int b = 0; b < 256; ++b)
    bytes[b] = static_cast<char>(b);
  return bytes;
}

// Every byte survives the way through Unicode and back, one by one and as a
// text, so that no cell loses a byte between the grid and the file.
TEST(Codepage, EveryByteRoundTrips) {
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(platform::UnicodeToCp1251(platform::Cp1251ToUnicode(static_cast<unsigned char>(b))),
              b)
        << "byte " << b;
  const std::string all = AllBytes();
  EXPECT_EQ(platform::Utf16ToCp1251(platform::Cp1251ToUtf16(all)), all);
}

// Checked against Qt's own UTF-8 decoder and a few characters known by
// heart, not against the table the code is built from.
TEST(Codepage, Utf8FormAgreesWithUtf16AndKnownLetters) {
  const std::string all = AllBytes();
  const std::string utf8 = platform::Cp1251ToUtf8(all);
  EXPECT_EQ(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String(),
            platform::Cp1251ToUtf16(all));
  EXPECT_EQ(platform::Cp1251ToUnicode(0xC0), u'\u0410'); // А
  EXPECT_EQ(platform::Cp1251ToUnicode(0xFF), u'\u044F'); // я
  EXPECT_EQ(platform::Cp1251ToUnicode(0xA8), u'\u0401'); // Ё
  EXPECT_EQ(platform::Cp1251ToUnicode(0xB8), u'\u0451'); // ё
  EXPECT_EQ(platform::Cp1251ToUnicode(0x88), u'\u20AC'); // €
  EXPECT_EQ(platform::Cp1251ToUnicode(0xB9), u'\u2116'); // №
  EXPECT_EQ(platform::UnicodeToCp1251(U'\u00E9'), -1);   // é has no byte
  EXPECT_EQ(platform::Utf16ToCp1251(u"\u00E9x"), "?x");
}

} // namespace
