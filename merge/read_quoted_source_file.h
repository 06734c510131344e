#pragma once
// ReadSourceFile's counterpart for quoted fields: the same availability test,
// skip count and progress, over records instead of lines.

#include "merge/quoted_reader.h"
#include "merge/read_progress.h"
#include "merge/read_source_file.h"
#include "merge/source_decoder.h"
#include "platform/file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// Opens a source file for quoted reading into `file`: false (and nothing
// opened) when it is not available, which costs no more than the open and one
// fstat. Throws platform::FileError.
inline bool OpenQuotedSourceFile(const std::string& path,
                                 std::optional<platform::ReadOnlyFile>& file) {
  try {
    file.emplace(path, platform::ReadOnlyFile::Missing::kNotAvailable);
  } catch (const platform::NotRegularFile&) {
    return false;
  }
  return true;
}

// Calls place_record(const std::vector<std::string_view>& fields) once per
// used record of an opened file, in file order; the first `skip_count`
// records are dropped. Returns true when the last record ran to the end of
// the file inside an open quote. Throws platform::FileError when the file
// cannot be read, and platform::Cancelled when `progress` says so.
// The records are cut in the file's own bytes (`long_delimiter`: the
// delimiter's bytes there when it takes several); a `decoder` then brings
// each record's fields into the table's encoding, and a UTF-8 file loses its
// byte-order mark.
template <typename PlaceRecord>
bool ReadOpenedQuotedSourceFile(platform::ReadOnlyFile& file, std::int32_t skip_count,
                                std::optional<char> delimiter, PlaceRecord&& place_record,
                                ReadProgress* progress = nullptr, LineDecoder* decoder = nullptr,
                                std::string_view long_delimiter = {}) {
  QuotedRecordReader reader(file, delimiter, QuotedRecordReader::kDefaultBlockSize, progress,
                            long_delimiter,
                            decoder != nullptr && decoder->FileEncoding() == TextEncoding::kUtf8);
  std::vector<std::string_view> fields;
  WalkItems(
      reader, file.path(), skip_count, progress, [&] { reader.NextRecord(fields); },
      [&](std::int32_t) {
        if (decoder != nullptr)
          decoder->DecodeFields(fields);
        place_record(static_cast<const std::vector<std::string_view>&>(fields));
      });
  return reader.QuoteLeftOpen();
}

// ReadOpenedQuotedSourceFile of a file that IsSourceFileAvailable allows.
// What is no regular file once opened is skipped (false).
template <typename PlaceRecord>
bool ReadAvailableQuotedSourceFile(const std::string& path, std::int32_t skip_count,
                                   std::optional<char> delimiter, PlaceRecord&& place_record,
                                   ReadProgress* progress = nullptr, LineDecoder* decoder = nullptr,
                                   std::string_view long_delimiter = {},
                                   platform::ByteEncoding bytes = platform::ByteEncoding::kAsIs) {
  std::optional<platform::ReadOnlyFile> file;
  try {
    file.emplace(path);
  } catch (const platform::NotRegularFile&) {
    return false;
  }
  file->DecodeFrom(bytes);
  return ReadOpenedQuotedSourceFile(*file, skip_count, delimiter, place_record, progress, decoder,
                                    long_delimiter);
}

// ReadOpenedQuotedSourceFile of an available file, opened once; nothing for
// any other.
template <typename PlaceRecord>
bool ReadQuotedSourceFile(const std::string& path, std::int32_t skip_count,
                          std::optional<char> delimiter, PlaceRecord&& place_record,
                          ReadProgress* progress = nullptr) {
  std::optional<platform::ReadOnlyFile> file;
  return OpenQuotedSourceFile(path, file) &&
         ReadOpenedQuotedSourceFile(*file, skip_count, delimiter, place_record, progress);
}

} // namespace merge
