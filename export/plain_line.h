#pragma once
// The plain form of a saved line, written straight from the stored row: the
// fast path of a save with neither escaping nor UTF-8.

#include <cstddef>
#include <cstdint>

namespace merge {
class ResultTable;
} // namespace merge

namespace exporter {

// Writes the cells of columns 0..col_count-1 of `row` into `out`, each
// followed by `delimiter` (an empty cell gives the delimiter alone), without
// the line end. Returns the bytes written, or kNoRoom when they would not
// fit in `room` bytes (whatever was written then is to be ignored).
constexpr std::size_t kNoRoom = static_cast<std::size_t>(-1);
std::size_t JoinPlainLine(const merge::ResultTable& table, std::int32_t row, std::int32_t col_count,
                          char delimiter, char* out, std::size_t room);

} // namespace exporter
