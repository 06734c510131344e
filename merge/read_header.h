#pragma once
// The header of a source file: its first used record, read on its own before
// the file's rows are placed, so that the columns of every file are known
// first.

#include "merge/text_encoding.h"
#include "platform/byte_encoding.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace merge {

// The fields of the first record after `skip_count` dropped ones, read with
// quotes or as plain lines from a file in `file_encoding` and brought into
// `table_encoding` as its rows will be (a byte-order mark dropped), its
// bytes first turned from `bytes` as SourceFileBytes says; nothing
// when the file is not available or all of its records are dropped. Throws
// platform::FileError as reading does.
std::optional<std::vector<std::string>>
ReadHeader(const std::string& path, std::int32_t skip_count, std::optional<char> delimiter,
           bool quotes, TextEncoding file_encoding, TextEncoding table_encoding,
           platform::ByteEncoding bytes = platform::ByteEncoding::kAsIs);

} // namespace merge
