#include "export/plain_line.h"

#include "merge/result_table.h"

#include <cstring>

namespace exporter {

std::size_t JoinPlainLine(const merge::ResultTable& table, std::int32_t row, std::int32_t col_count,
                          char delimiter, char* out, std::size_t room) {
  using merge::codec::RowPiece;
  char* p = out;
  char* const end = out + room;
  std::int64_t col = 0; // the next column to write
  merge::codec::RowPieces<true> pieces(table.StoredRow(row), col_count);
  RowPiece piece;
  while (pieces.Next(piece)) {
    if (piece.col - col > end - p)
      return kNoRoom;
    std::memset(p, delimiter, static_cast<std::size_t>(piece.col - col)); // empty columns
    p += piece.col - col;
    col = piece.col + piece.count;
    if (piece.kind == RowPiece::kShortRun) {
      // A run of short texts, each behind its one-byte length, is the saved
      // line shifted by one byte: copy it whole, then put the delimiter
      // where each following length stood.
      const unsigned char* run = piece.data;
      const auto bytes = static_cast<std::size_t>(piece.size);
      if (static_cast<std::ptrdiff_t>(bytes) > end - p)
        return kNoRoom;
      std::memcpy(p, run + 1, bytes - 1);
      const unsigned char* const run_end = run + bytes;
      for (const unsigned char* t = run + 1 + merge::codec::ShortTextLength(*run); t < run_end;
           t += 1 + merge::codec::ShortTextLength(*t))
        p[t - run - 1] = delimiter;
      p[bytes - 1] = delimiter;
      p += bytes;
      continue;
    }
    const std::string_view text =
        piece.kind == RowPiece::kText
            ? std::string_view(reinterpret_cast<const char*>(piece.data), piece.size)
            : table.SharedText(static_cast<merge::SharedTextId>(piece.size));
    if (static_cast<std::ptrdiff_t>(text.size()) >= end - p)
      return kNoRoom;
    std::memcpy(p, text.data(), text.size());
    p += text.size();
    *p++ = delimiter;
  }
  if (col_count - col > end - p)
    return kNoRoom;
  if (col < col_count) {
    std::memset(p, delimiter, static_cast<std::size_t>(col_count - col));
    p += col_count - col;
  }
  return static_cast<std::size_t>(p - out);
}

} // namespace exporter
