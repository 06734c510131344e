#pragma once
// The cells of a UTF-8 table on their way into the saved file, before the
// byte-wise encoder takes them: into Windows-1251 for a Windows-1251 file
// (a character without a byte becomes "?", counted with the place of the
// first), or with the writing delimiter's character escaped for a UTF-8
// file when that character is not ASCII.

#include <cstdint>
#include <string>
#include <string_view>

namespace exporter {

struct SaveReport;

class Utf8TableCells {
public:
  // `delimiter` is the writing delimiter's Windows-1251 byte.
  // With `repair` a UTF-8 file gets U+FFFD for what in a cell is not UTF-8.
  Utf8TableCells(char delimiter, bool escape, bool utf8_output, SaveReport* report,
                 bool repair = false);

  // Whether the cells need this step at all: a UTF-8 file without escape,
  // or with an ASCII delimiter, of a table of valid UTF-8, takes them as
  // they are.
  bool Needed() const { return !utf8_output_ || !delimiter_character_.empty() || repair_; }
  // The delimiter the byte-wise encoder escapes after this step.
  char EncoderDelimiter() const;

  // The cell at (col, row) ready for the encoder; the view stays valid until
  // the next call.
  std::string_view Prepare(std::string_view cell, std::int32_t col, std::int32_t row);

private:
  char delimiter_;
  bool utf8_output_;
  std::string delimiter_character_; // the UTF-8 bytes to escape; empty for none
  std::string escaped_delimiter_;   // "#" and the byte's value
  SaveReport* report_;
  bool repair_;
  std::string scratch_;
  std::string repaired_;
};

} // namespace exporter
