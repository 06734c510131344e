#pragma once
// Reads one source file and hands each used line, cut into fields, to a
// placing routine before the next line is read: a failure in the middle of a
// file keeps the lines already placed.

#include "merge/line_reader.h"
#include "merge/read_progress.h"
#include "merge/source_decoder.h"
#include "merge/split_line.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// Whether the file is read at all: a path naming nothing or a directory, and
// the empty path, are skipped without a word. The file's modification time
// plays no part.
bool IsSourceFileAvailable(const std::string& path);

// What reading the files of one collect reuses from file to file: the line
// buffer and the field list are allocated once, not once per file.
struct ReadScratch {
  LineBuffer line{LineReader::kDefaultBlockSize};
  std::vector<std::string_view> fields;
};

// Opens a source file into `reader`, reading into the scratch's buffer: false
// (and nothing opened) when it is not available, which costs no more than the
// open and one fstat. Throws platform::FileError as LineReader does.
bool OpenSourceFile(const std::string& path, ReadScratch& scratch, ReadProgress* progress,
                    std::optional<LineReader>& reader);

// The walk every reader of a source shares: read_next() reads one item (a
// line or a record) and use(number) takes the item just read; the first
// `skip_count` items are dropped, progress hears of every item, and at least
// one item is read, so that an empty file gives one empty item.
template <typename Reader, typename ReadNext, typename Use>
void WalkItems(Reader& reader, const std::string& path, std::int32_t skip_count,
               ReadProgress* progress, ReadNext&& read_next, Use&& use) {
  if (progress != nullptr)
    progress->FileStarted(path, reader.SizeHint());
  std::int32_t number = 0;
  do {
    read_next();
    // Stops counting at the largest number: every later item is used anyway.
    if (number < INT32_MAX)
      ++number;
    if (skip_count <= 0 || number > skip_count)
      use(number);
    if (progress != nullptr)
      progress->Advance(reader.BytesRead());
  } while (!reader.AtDataEnd());
  if (progress != nullptr) {
    progress->FileDone(reader.BytesRead());
    if (reader.CutAtEndMark())
      progress->DataCutAtEndMark(path);
  }
}

// Calls place_line(const std::vector<std::string_view>& fields) once per used
// line of an opened file, in file order. The first `skip_count` lines are
// dropped (none when it is 0 or negative); an empty line is still used and
// gives no field. At least one line is read from every opened file, so an
// empty file gives one empty line. Throws platform::FileError when the file
// cannot be read, and platform::Cancelled when `progress` says so. A
// `decoder` brings each used line into the table's encoding before it is
// split; a non-empty `long_delimiter` (a UTF-8 character of several bytes)
// splits in place of `delimiter`. `fields` is the list the lines are cut into.
template <typename PlaceLine>
void ReadLines(LineReader& reader, const std::string& path, std::int32_t skip_count,
               std::optional<char> delimiter, PlaceLine&& place_line,
               std::vector<std::string_view>& fields, ReadProgress* progress = nullptr,
               LineDecoder* decoder = nullptr, std::string_view long_delimiter = {}) {
  std::string_view line;
  WalkItems(
      reader, path, skip_count, progress, [&] { line = reader.NextLine(); },
      [&](std::int32_t line_number) {
        if (decoder == nullptr) {
          SplitLine(line, delimiter, fields);
        } else {
          const std::string_view text = decoder->Decode(line, line_number == 1);
          if (long_delimiter.empty())
            SplitLine(text, delimiter, fields);
          else
            SplitLineAt(text, long_delimiter, fields);
        }
        place_line(static_cast<const std::vector<std::string_view>&>(fields));
      });
}

// ReadLines of a file that IsSourceFileAvailable allows, with a buffer and
// field list of its own. What is no regular file once opened is skipped.
template <typename PlaceLine>
void ReadAvailableSourceFile(const std::string& path, std::int32_t skip_count,
                             std::optional<char> delimiter, PlaceLine&& place_line,
                             ReadProgress* progress = nullptr, LineDecoder* decoder = nullptr,
                             std::string_view long_delimiter = {},
                             platform::ByteEncoding bytes = platform::ByteEncoding::kAsIs) {
  std::optional<LineReader> opened;
  try {
    opened.emplace(path, LineReader::kDefaultBlockSize, progress);
  } catch (const platform::NotRegularFile&) {
    return;
  }
  opened->DecodeFrom(bytes);
  std::vector<std::string_view> fields;
  ReadLines(*opened, path, skip_count, delimiter, place_line, fields, progress, decoder,
            long_delimiter);
}

// ReadAvailableSourceFile of an available file; nothing for any other.
template <typename PlaceLine>
void ReadSourceFile(const std::string& path, std::int32_t skip_count, std::optional<char> delimiter,
                    PlaceLine&& place_line, ReadProgress* progress = nullptr) {
  if (IsSourceFileAvailable(path))
    ReadAvailableSourceFile(path, skip_count, delimiter, place_line, progress);
}

} // namespace merge
