#include "merge/read_header.h"

#include "merge/line_reader.h"
#include "merge/quoted_reader.h"
#include "merge/read_source_file.h"
#include "merge/split_line.h"
#include "platform/file.h"

#include <string_view>

namespace merge {

namespace {

// Reads records until the first used one; `next` fills the fields of one.
template <typename Reader, typename Next>
std::optional<std::vector<std::string>> FirstUsed(Reader& reader, std::int32_t skip_count,
                                                  Next&& next) {
  std::vector<std::string_view> fields;
  std::int32_t number = 0;
  do {
    next(fields);
    if (number < INT32_MAX)
      ++number;
    if (skip_count <= 0 || number > skip_count)
      return std::vector<std::string>(fields.begin(), fields.end());
  } while (!reader.AtDataEnd());
  return std::nullopt;
}

} // namespace

std::optional<std::vector<std::string>> ReadHeader(const std::string& path, std::int32_t skip_count,
                                                   std::optional<char> delimiter, bool quotes) {
  if (!IsSourceFileAvailable(path))
    return std::nullopt;
  try {
    if (quotes) {
      QuotedRecordReader reader(path, delimiter);
      return FirstUsed(reader, skip_count,
                       [&](std::vector<std::string_view>& fields) { reader.NextRecord(fields); });
    }
    LineReader reader(path);
    return FirstUsed(reader, skip_count, [&](std::vector<std::string_view>& fields) {
      SplitLine(reader.NextLine(), delimiter, fields);
    });
  } catch (const platform::NotRegularFile&) {
    return std::nullopt; // what is no regular file once opened is not available
  }
}

} // namespace merge
