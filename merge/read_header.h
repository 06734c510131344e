#pragma once
// The header of a source file: its first used record, read on its own before
// the file's rows are placed, so that the columns of every file are known
// first.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace merge {

// The fields of the first record after `skip_count` dropped ones, read with
// quotes or as plain lines; nothing when the file is not available or all of
// its records are dropped. Throws platform::FileError as reading does.
std::optional<std::vector<std::string>> ReadHeader(const std::string& path, std::int32_t skip_count,
                                                   std::optional<char> delimiter, bool quotes);

} // namespace merge
