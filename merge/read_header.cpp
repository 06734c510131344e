#include "merge/read_header.h"

#include "merge/line_reader.h"
#include "merge/quoted_reader.h"
#include "merge/read_source_file.h"
#include "merge/source_decoder.h"
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
                                                   std::optional<char> delimiter, bool quotes,
                                                   TextEncoding file_encoding,
                                                   TextEncoding table_encoding,
                                                   platform::ByteEncoding bytes) {
  if (!IsSourceFileAvailable(path))
    return std::nullopt;
  std::optional<LineDecoder> decoder;
  if (LineDecoder::Needed(file_encoding, table_encoding))
    decoder.emplace(file_encoding, table_encoding);
  try {
    if (quotes) {
      platform::ReadOnlyFile file(path);
      file.DecodeFrom(bytes);
      QuotedRecordReader reader(file, delimiter, QuotedRecordReader::kDefaultBlockSize, nullptr,
                                LongDelimiter(delimiter, file_encoding),
                                file_encoding == TextEncoding::kUtf8);
      return FirstUsed(reader, skip_count, [&](std::vector<std::string_view>& fields) {
        reader.NextRecord(fields);
        if (decoder)
          decoder->DecodeFields(fields);
      });
    }
    LineReader reader(path);
    reader.DecodeFrom(bytes);
    const std::string long_delimiter = LongDelimiter(delimiter, table_encoding);
    bool first_line = true;
    return FirstUsed(reader, skip_count, [&](std::vector<std::string_view>& fields) {
      std::string_view line = reader.NextLine();
      if (decoder)
        line = decoder->Decode(line, first_line);
      first_line = false;
      if (long_delimiter.empty())
        SplitLine(line, delimiter, fields);
      else
        SplitLineAt(line, long_delimiter, fields);
    });
  } catch (const platform::NotRegularFile&) {
    return std::nullopt; // what is no regular file once opened is not available
  }
}

} // namespace merge
