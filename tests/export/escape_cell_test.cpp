#include "export/cell_encoder.h"
#include "export/delimiter.h"
#include "export/escape_cell.h"
#include "platform/codepage.h"

#include <QString>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct EscapeCase {
  std::string cell;
  char delimiter;
  std::string expected;
};

TEST(EscapeCellTest, EscapesTheDelimiterAndBytesBelow32Only) {
  const std::vector<EscapeCase> cases = {
      {"b,c", ',', "b#44c"},    {"1;2", ';', "1#592"}, // the escape runs into the digit
      {"a\tb", ',', "a#9b"},    {std::string("\0\x01\x1f", 3), ',', "#0#1#31"},
      {"a b", ' ', "a#32b"},    {"a b", ',', "a b"},
      {"#44", ',', "#44"}, // "#" itself is never escaped
      {"\x7f", ',', "\x7f"},    {"\xC0\xC1\xC0", '\xC0', "#192\xC1#192"},
      {"\xFF", '\xFF', "#255"}, {"", ',', ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(exporter::EscapeCell(c.cell, c.delimiter), c.expected) << c.cell;
}

TEST(DelimiterFromTextTest, TakesTheFirstByteAndFallsBackToComma) {
  EXPECT_EQ(exporter::DelimiterFromText(";"), ';');
  EXPECT_EQ(exporter::DelimiterFromText("        (Tab)"), ' ');
  EXPECT_EQ(exporter::DelimiterFromText("\t(pasted)"), '\t');
  EXPECT_EQ(exporter::DelimiterFromText("\xC0\xC1"), '\xC0');
  EXPECT_EQ(exporter::DelimiterFromText(""), ',');
}

// What one byte becomes, worked out from the rules rather than from the
// routines the encoder is built from: "#<code>" for the delimiter and bytes
// below 32 when escaping, then each byte's character in UTF-8 by Qt's own
// encoder.
std::string ExpectedCode(unsigned char byte, char delimiter, bool escape, bool utf8) {
  std::string out(1, static_cast<char>(byte));
  if (escape && (byte < 32 || byte == static_cast<unsigned char>(delimiter)))
    out = "#" + std::to_string(byte);
  if (!utf8)
    return out;
  std::string converted;
  for (const char ch : out)
    converted += QString(QChar(platform::Cp1251ToUnicode(static_cast<unsigned char>(ch))))
                     .toUtf8()
                     .toStdString();
  return converted;
}

TEST(CellEncoderTest, EncodesEveryByteAsTheRulesSay) {
  std::string all_bytes;
  for (int b = 0; b < 256; ++b)
    all_bytes.push_back(static_cast<char>(b));
  for (const char delimiter : {',', ' ', '\t', '\xC0', '\x98'}) {
    for (const bool escape : {false, true}) {
      for (const bool utf8 : {false, true}) {
        std::string expected;
        for (const char ch : all_bytes)
          expected += ExpectedCode(static_cast<unsigned char>(ch), delimiter, escape, utf8);
        const exporter::CellEncoder encoder(delimiter, escape, utf8);
        std::string out(all_bytes.size() * exporter::CellEncoder::kMaxBytesPerByte, '\0');
        out.resize(static_cast<std::size_t>(encoder.Encode(all_bytes, out.data()) - out.data()));
        EXPECT_EQ(out, expected) << int(delimiter) << escape << utf8;
      }
    }
  }
  // A few forms known by heart.
  const exporter::CellEncoder both(';', true, true);
  std::string out(64, '\0');
  out.resize(static_cast<std::size_t>(both.Encode("\xC0;\t\x88", out.data()) - out.data()));
  EXPECT_EQ(out, "\xD0\x90#59#9\xE2\x82\xAC");
}

} // namespace
