#pragma once
// Brings the lines of one source file into the table's encoding: a UTF-8
// file loses its byte-order mark and is checked; a Windows-1251 file going
// into a UTF-8 table is converted, and a UTF-8 file going into a
// Windows-1251 table too. A Windows-1251 file in a Windows-1251 table needs
// no decoder at all: its lines pass as they are.

#include "merge/text_encoding.h"
#include "platform/byte_encoding.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// The encoding a source file is read in under `option`. Under kDetect the
// file is read ahead up to its end or its first byte 26: a byte-order mark,
// or bytes that are valid UTF-8 and not all ASCII, give UTF-8; bytes that
// are not UTF-8 give Windows-1251; plain ASCII, the same in both, gives
// `table` (so that it needs no conversion). Throws platform::FileError when
// the file cannot be opened or read.
TextEncoding SourceFileEncoding(const std::string& path, SourceEncoding option, TextEncoding table);

// How the file's bytes are turned into UTF-8 before they are read under
// `option` (kAsIs for Windows-1251 and UTF-8 files): the choices of UTF-16,
// CP866 and KOI8-R, and under kDetect a UTF-16 mark. The files it turns are
// UTF-8 for SourceFileEncoding. Throws platform::FileError as that does.
platform::ByteEncoding SourceFileBytes(const std::string& path, SourceEncoding option);

// The delimiter's bytes in `encoding` when it takes several there (a
// Windows-1251 byte above 127 written in UTF-8); empty when it is one byte.
std::string LongDelimiter(std::optional<char> delimiter, TextEncoding encoding);

class LineDecoder {
public:
  LineDecoder(TextEncoding file, TextEncoding table) : file_(file), table_(table) {}

  // Whether the lines need this decoder at all.
  static bool Needed(TextEncoding file, TextEncoding table) {
    return file == TextEncoding::kUtf8 || table == TextEncoding::kUtf8;
  }

  // The line in the table's encoding; `first_line` for the file's line 1,
  // where a byte-order mark is dropped. The view stays valid until the next
  // call (and while `line` does).
  std::string_view Decode(std::string_view line, bool first_line);
  // The fields of one quoted record, each brought into the table's encoding
  // in place; a byte-order mark is the reader's to drop. The views stay valid
  // until the next call (and while the record's bytes do).
  void DecodeFields(std::vector<std::string_view>& fields);
  TextEncoding FileEncoding() const { return file_; }
  // Whether a line or field read so far was not UTF-8.
  bool FoundInvalid() const { return invalid_; }

  // Adds what this file gave to the report: an invalid UTF-8 file, characters
  // that became "?".
  void Report(const std::string& path, EncodingReport& report) const;

private:
  TextEncoding file_;
  TextEncoding table_;
  bool invalid_ = false;
  std::int64_t replaced_ = 0;
  // The converted line; grows to the longest.
  char* Room(std::size_t size);
  std::unique_ptr<char[]> scratch_;
  std::size_t capacity_ = 0;
};

} // namespace merge
