#pragma once
// ReadSourceFile's counterpart for quoted fields: the same availability test,
// skip count and progress, over records instead of lines.

#include "merge/quoted_reader.h"
#include "merge/read_progress.h"
#include "merge/read_source_file.h"

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
template <typename PlaceRecord>
bool ReadAvailableQuotedSourceFile(const std::string& path, std::int32_t skip_count,
                                   std::optional<char> delimiter, PlaceRecord&& place_record,
                                   ReadProgress* progress = nullptr) {
  // What is no regular file once opened is not available either.
  std::optional<QuotedRecordReader> opened;
  try {
    opened.emplace(path, delimiter, QuotedRecordReader::kDefaultBlockSize, progress);
  } catch (const platform::NotRegularFile&) {
    return false;
  }
  QuotedRecordReader& reader = *opened;
  if (progress != nullptr)
    progress->FileStarted(path, reader.SizeHint());
  std::vector<std::string_view> fields;
  std::int32_t record_number = 0;
  do {
    reader.NextRecord(fields);
    if (record_number < INT32_MAX)
      ++record_number;
    if (skip_count <= 0 || record_number > skip_count)
      place_record(static_cast<const std::vector<std::string_view>&>(fields));
    if (progress != nullptr)
      progress->Advance(reader.BytesRead());
  } while (!reader.AtDataEnd());
  if (progress != nullptr)
    progress->FileDone(reader.BytesRead());
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
