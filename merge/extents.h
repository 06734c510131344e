#pragma once
// How ColCount grows while fields are placed: shared by the table's
// placements and by the streamed stacked merge, which works out the extents
// in a first pass without a table, so that both give the same file.

#include "platform/errors.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace merge {

// The next row of a placement. The last row a table can have is the one
// that makes RowCount the largest count; a file that reaches past it stops
// there with an error, and the rows placed so far stay.
inline void StepRow(std::int32_t& row) {
  if (row >= INT32_MAX - 1)
    throw platform::Error("Too many rows: a table holds at most " + std::to_string(INT32_MAX));
  ++row;
}

// ColCount after fields at columns first .. first + count - 1, placed one
// after the other: each field at a column c >= ColCount raises it to c + 2.
inline std::int32_t ColCountAfterFields(std::int32_t col_count, std::int32_t first,
                                        std::int32_t count) {
  if (count <= 0)
    return col_count;
  const std::int64_t last = std::int64_t{first} + count - 1;
  const std::int64_t trigger = std::max<std::int64_t>(first, col_count);
  if (trigger > last)
    return col_count;
  // Triggers at trigger, trigger + 2, ...: the last one sets the count.
  const std::int64_t last_trigger = trigger + (last - trigger) / 2 * 2;
  return static_cast<std::int32_t>(std::min<std::int64_t>(last_trigger + 2, INT32_MAX));
}

// A record's field count as the table counts fields: at most the widest row.
inline std::int32_t FieldCount(std::size_t n) {
  return static_cast<std::int32_t>(std::min<std::size_t>(n, INT32_MAX - 1));
}

// A name cell at `col` is always shown: ColCount grows to take it in.
inline std::int32_t ColCountAfterNameCell(std::int32_t col_count, std::int32_t col) {
  return col >= col_count ? col + 1 : col_count;
}

} // namespace merge
