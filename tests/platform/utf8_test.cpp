#include "platform/utf8.h"

#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using platform::ScanUtf8;

// UTF-8 validity the slow way: decode the value, then judge the value
// (shortest form, no surrogate, at most U+10FFFF). Returns the length of the
// valid prefix.
std::size_t ReferenceValidPrefix(const std::string& s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size())
      return i;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k < n; ++k) {
      const auto cont = static_cast<unsigned char>(s[i + k]);
      if ((cont & 0xC0) != 0x80)
        return i;
      c = (c << 6) | (cont & 0x3F);
    }
    const char32_t shortest = n == 1 ? 0 : n == 2 ? 0x80 : n == 3 ? 0x800 : 0x10000;
    if (c < shortest || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF)
      return i;
    i += n;
  }
  return i;
}

bool HasHighByte(const std::string& s) {
  for (const char ch : s) {
    if (static_cast<unsigned char>(ch) >= 0x80)
      return true;
  }
  return false;
}

TEST(ScanUtf8, JudgesEachKindOfSequence) {
  struct Case {
    const char* bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain, ascii;1", true},
      {"\xD0\x9F\xD1\x80\xD0\xB8", true},  // "При"
      {"caf\xC3\xA9", true},               // "café"
      {"\xE2\x82\xAC 5", true},            // "€ 5"
      {"\xF0\x9F\x98\x80", true},          // an emoji, four bytes
      {"\xF4\x8F\xBF\xBF", true},          // U+10FFFF, the last one
      {"\xC0\x80", false},                 // overlong NUL
      {"\xC1\xBF", false},                 // overlong
      {"\xE0\x9F\xBF", false},             // overlong three-byte form
      {"\xF0\x8F\xBF\xBF", false},         // overlong four-byte form
      {"\xED\xA0\x80", false},             // a surrogate
      {"\xF4\x90\x80\x80", false},         // above U+10FFFF
      {"\xF5\x80\x80\x80", false},         // no such lead byte
      {"\x80", false},                     // a continuation alone
      {"\xCF\xF0\xE8\xE2\xE5\xF2", false}, // "Привет" in Windows-1251
      {"a\xD0"
       "b",
       false}, // a lead byte followed by ASCII
  };
  for (const Case& c : cases) {
    const platform::Utf8Scan scan = ScanUtf8(c.bytes);
    EXPECT_EQ(scan.valid, c.valid) << c.bytes;
    EXPECT_EQ(scan.cut_short, 0u) << c.bytes;
    EXPECT_EQ(platform::IsValidUtf8(c.bytes), c.valid) << c.bytes;
  }
}

TEST(ScanUtf8, TellsAsciiFromNonAsciiAndACutSequence) {
  EXPECT_FALSE(ScanUtf8(std::string(100, 'a')).non_ascii);
  EXPECT_TRUE(ScanUtf8(std::string(70, 'a') + "\xC3\xA9").non_ascii);

  const platform::Utf8Scan cut = ScanUtf8("abc\xE2\x82");
  EXPECT_TRUE(cut.valid);
  EXPECT_EQ(cut.cut_short, 2u);
  EXPECT_FALSE(platform::IsValidUtf8("abc\xE2\x82"));
  // A lead byte cut short is still judged by what is there.
  EXPECT_FALSE(ScanUtf8("abc\xE0\x80").valid);
}

// Random texts around the block sizes, built from ASCII, valid sequences and
// stray bytes, against the slow reference.
TEST(ScanUtf8, AgreesWithTheSlowWayOnRandomTexts) {
  std::mt19937 random(11);
  const std::string pieces[] = {
      "a",    "0123456789abcdef", "\xD0\x9F", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3",
      "\xBF", "\xED\xA0\x80",     ";",        "\xFF"};
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) {
      // Mostly ASCII, so that the fast path meets the odd byte at every offset.
      const std::size_t pick = random() % 4 == 0 ? random() % std::size(pieces) : random() % 2;
      s += pieces[pick];
    }
    const platform::Utf8Scan scan = ScanUtf8(s);
    const std::size_t valid_prefix = ReferenceValidPrefix(s);
    const bool reference_valid = valid_prefix == s.size();
    EXPECT_EQ(scan.valid && scan.cut_short == 0, reference_valid) << s;
    if (scan.valid && scan.cut_short > 0) {
      EXPECT_EQ(valid_prefix, s.size() - scan.cut_short) << s;
    }
    // Only what was checked counts: a scan that stopped early may not have seen a high byte.
    if (scan.valid) {
      EXPECT_EQ(scan.non_ascii, HasHighByte(s)) << s;
    }
  }
}

std::string FastCp1251ToUtf8(const std::string& bytes) {
  std::string out(platform::MaxCp1251AsUtf8(bytes.size()), '\0');
  out.resize(static_cast<std::size_t>(platform::Cp1251ToUtf8(bytes, out.data()) - out.data()));
  return out;
}

TEST(Cp1251ToUtf8Fast, GivesTheCodePagesCharactersAtEveryOffset) {
  std::string every_byte;
  for (int b = 1; b < 256; ++b)
    every_byte.push_back(static_cast<char>(b));
  EXPECT_EQ(FastCp1251ToUtf8(every_byte), platform::Cp1251ToUtf8(every_byte));
  EXPECT_EQ(FastCp1251ToUtf8("\xCF\xF0\xE8\xE2\xE5\xF2"),
            "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");

  std::mt19937 random(1251);
  for (int round = 0; round < 5000; ++round) {
    std::string s(random() % 80, 'x');
    for (char& ch : s)
      ch = static_cast<char>(random() % 3 == 0 ? 0x80 + random() % 128 : 'a' + random() % 26);
    ASSERT_EQ(FastCp1251ToUtf8(s), platform::Cp1251ToUtf8(s)) << s;
  }
}

TEST(Utf8ToCp1251Fast, MapsWhatTheCodePageHoldsAndCountsTheRest) {
  std::int64_t replaced = 0;
  // Every character of the code page comes back as its byte.
  std::string every_byte;
  for (int b = 1; b < 256; ++b)
    every_byte.push_back(static_cast<char>(b));
  EXPECT_EQ(platform::Utf8ToCp1251(platform::Cp1251ToUtf8(every_byte), replaced), every_byte);
  EXPECT_EQ(replaced, 0);

  // "Ωmega é 😀": the Greek letter, the accented e and the emoji have no byte.
  EXPECT_EQ(platform::Utf8ToCp1251("\xCE\xA9mega \xC3\xA9 \xF0\x9F\x98\x80", replaced),
            "?mega ? ?");
  EXPECT_EQ(replaced, 3);

  // Bytes that are not UTF-8 stay as they are and are not counted.
  replaced = 0;
  EXPECT_EQ(platform::Utf8ToCp1251("\xCF\xF0\xE8 and a long tail of ascii text", replaced),
            "\xCF\xF0\xE8 and a long tail of ascii text");
  EXPECT_EQ(replaced, 0);
}

} // namespace
