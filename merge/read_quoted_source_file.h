#pragma once
// ReadSourceFile's counterpart for quoted fields: the same availability test,
// skip count and progress, over records instead of lines.

#include "merge/quoted_reader.h"
#include "merge/read_progress.h"
#include "merge/read_source_file.h"
#include "merge/source_decoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// Calls place_record(const std::vector<std::string_view>& fields) once per
// used record of an available file, in file order; the first `skip_count`
// records are dropped. Returns true when the last record ran to the end of
// the file inside an open quote. Throws as ReadAvailableSourceFile does.
// The records are cut in the file's own bytes (`long_delimiter`: the
// delimiter's bytes there when it takes several); a `decoder` then brings
// each record's fields into the table's encoding, and a UTF-8 file loses its
// byte-order mark.
template <typename PlaceRecord>
bool ReadAvailableQuotedSourceFile(const std::string& path, std::int32_t skip_count,
                                   std::optional<char> delimiter, PlaceRecord&& place_record,
                                   ReadProgress* progress = nullptr, LineDecoder* decoder = nullptr,
                                   std::string_view long_delimiter = {}) {
  // What is no regular file once opened is not available either.
  std::optional<QuotedRecordReader> opened;
  try {
    opened.emplace(path, delimiter, QuotedRecordReader::kDefaultBlockSize, progress, long_delimiter,
                   decoder != nullptr && decoder->FileEncoding() == TextEncoding::kUtf8);
  } catch (const platform::NotRegularFile&) {
    return false;
  }
  QuotedRecordReader& reader = *opened;
  std::vector<std::string_view> fields;
  WalkItems(
      reader, path, skip_count, progress, [&] { reader.NextRecord(fields); },
      [&](std::int32_t) {
        if (decoder != nullptr)
          decoder->DecodeFields(fields);
        place_record(static_cast<const std::vector<std::string_view>&>(fields));
      });
  return reader.QuoteLeftOpen();
}

// ReadAvailableQuotedSourceFile of an available file; nothing for any other.
template <typename PlaceRecord>
bool ReadQuotedSourceFile(const std::string& path, std::int32_t skip_count,
                          std::optional<char> delimiter, PlaceRecord&& place_record,
                          ReadProgress* progress = nullptr) {
  return IsSourceFileAvailable(path) &&
         ReadAvailableQuotedSourceFile(path, skip_count, delimiter, place_record, progress);
}

} // namespace merge
