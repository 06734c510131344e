#pragma once
// UTF-8 beside the code page: checking bytes for UTF-8, and converting
// between Windows-1251 and UTF-8 at the speed of reading and saving. Runs of
// ASCII, the common case in delimited files, are passed sixteen bytes at a
// time.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// The mark some programs put at the start of a UTF-8 file.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

inline bool StartsWithUtf8Bom(std::string_view bytes) {
  return bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom;
}

// What a run of bytes is as UTF-8. A sequence that the run's end cuts short
// is neither valid nor invalid yet: its bytes are counted in `cut_short`
// (the next run of the same text carries on with them).
struct Utf8Scan {
  bool valid = true;      // no byte so far breaks the rules of UTF-8
  bool non_ascii = false; // some byte is 0x80 or above
  std::size_t cut_short = 0;
};

// Checks `bytes` by the rules of UTF-8: no overlong form, no surrogate,
// nothing above U+10FFFF. Stops at the first byte that breaks them.
Utf8Scan ScanUtf8(std::string_view bytes);

// True when the whole of `bytes` is UTF-8 (an empty or ASCII text is).
inline bool IsValidUtf8(std::string_view bytes) {
  const Utf8Scan scan = ScanUtf8(bytes);
  return scan.valid && scan.cut_short == 0;
}

// Appends `bytes` to `out` with each ill-formed part written as U+FFFD: the
// longest start of a valid sequence, or else one byte, gives one (as
// Unicode recommends, and Python's "replace" reads). Returns how many.
std::int64_t AppendRepairedUtf8(std::string_view bytes, std::string& out);

// The most bytes a Windows-1251 text of `size` bytes takes in UTF-8.
inline constexpr std::size_t MaxCp1251AsUtf8(std::size_t size) {
  return size * 3;
}

// Writes `bytes` (Windows-1251) as UTF-8 at `out`, which has room for
// MaxCp1251AsUtf8(bytes.size()) bytes; returns the end of what was written.
char* Cp1251ToUtf8(std::string_view bytes, char* out);

// Writes `bytes` (UTF-8) as Windows-1251 at `out`, which has room for
// bytes.size() bytes: a character that has no byte becomes "?", and a byte
// that does not belong to a valid sequence is kept as it is. Returns the end
// of what was written; adds the characters that became "?" to `replaced`.
char* Utf8ToCp1251(std::string_view bytes, char* out, std::int64_t& replaced);

// The same into a string.
std::string Utf8ToCp1251(std::string_view bytes, std::int64_t& replaced);

} // namespace platform
