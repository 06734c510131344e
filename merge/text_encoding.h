#pragma once
// The encodings of text: the table's own, and what the source files are
// taken to be ("Кодировка файлов" on the page "Настройка").

#include <cstdint>
#include <string>

namespace merge {

// The encoding of the table's cells. Windows-1251 is the table of old: its
// bytes go in and out untouched.
enum class TextEncoding : std::uint8_t { kCp1251, kUtf8 };

// What the source files are taken to be.
enum class SourceEncoding : std::uint8_t {
  kCp1251, // "Windows-1251": every file, as of old
  kUtf8,   // "UTF-8": every file
  kDetect, // "Определять для каждого файла": a UTF-16 mark means UTF-16, a
           // UTF-8 byte-order mark or valid UTF-8 that is not all ASCII means
           // UTF-8; anything else Windows-1251
  // Encodings turned into UTF-8 as they are read. A UTF-16 file's mark
  // decides its byte order; without one the choice does.
  kUtf16Le,
  kUtf16Be,
  kCp866,
  kKoi8r,
};

// The table's encoding when an empty table is filled under `option`.
inline TextEncoding TableEncodingFor(SourceEncoding option) {
  return option == SourceEncoding::kCp1251 ? TextEncoding::kCp1251 : TextEncoding::kUtf8;
}

// What turned up while files were read into the table, told to the user
// after the collect.
struct EncodingReport {
  // Files read as UTF-8 whose bytes are not UTF-8: their bytes were kept.
  int invalid_utf8_files = 0;
  std::string first_invalid_file;
  // Characters of UTF-8 files that a Windows-1251 table has no byte for:
  // each became "?".
  std::int64_t replaced_characters = 0;
  std::string first_replaced_file;

  bool Empty() const { return invalid_utf8_files == 0 && replaced_characters == 0; }
};

} // namespace merge
