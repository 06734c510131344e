#pragma once
// Finding the reading options from the start of the files themselves: the
// delimiter, the encoding, whether fields are quoted and whether the first
// line names the columns. Every finding may be "cannot tell": a guess that
// the bytes do not bear out is worse than none.

#include "merge/text_encoding.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// The delimiters looked for: the first byte of each item of the reading
// delimiter list, and a tab. When two split the lines equally well, the one
// earlier here wins (a ";" file with decimal commas is a ";" file).
inline constexpr std::string_view kDetectableDelimiters = "\t;|,:}{)( ";

// How much of a file's start is looked at.
inline constexpr std::size_t kFileStartSize = std::size_t{64} << 10;

struct DetectedOptions {
  std::optional<char> delimiter;
  std::optional<TextEncoding> encoding; // none: ASCII only, the same in both
  std::optional<bool> quotes;           // some field is in quotes
  std::optional<bool> header;           // the first record names the columns
};

// What the first bytes of a file say; `whole` when they are all of it (else
// the last record, which the cut may have split, is not looked at).
DetectedOptions DetectOptions(std::string_view start, bool whole);

// Whether `delimiter` cuts most records of the start into the same number
// (two or more) of fields, read with quotes or without.
bool SplitsAlike(std::string_view start, bool whole, char delimiter);

// The first `limit` bytes of a file; `whole` when that is all of it.
struct FileStart {
  std::string bytes;
  bool whole = true;
};
// Throws platform::FileError when the file cannot be opened or read, and
// platform::NotRegularFile for what is not a regular file.
FileStart ReadFileStart(const std::string& path, std::size_t limit = kFileStartSize);

// DetectOptions of a file's start.
DetectedOptions DetectFileOptions(const std::string& path);

// What a set of files says as a whole.
struct DetectedForFiles {
  std::optional<char> delimiter;          // the one most files show
  std::optional<SourceEncoding> encoding; // kDetect when the files differ
  std::optional<bool> quotes;             // true when any file quotes
  std::optional<bool> header;             // what most files that tell say
  int files = 0;                          // files looked at
  int delimiter_files = 0;                // files whose delimiter is the one chosen
};

// Combines the findings of single files.
DetectedForFiles CombineDetected(const std::vector<DetectedOptions>& found);

// The delimiter of one file for a merge that finds it per file: its own
// when its start tells, else `fallback`.
std::optional<char> DelimiterOfFile(const std::string& path, std::optional<char> fallback);

} // namespace merge
