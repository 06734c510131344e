#include "merge/row_codec.h"

#include "merge/cell_arena.h"

namespace merge {
namespace codec {

namespace {

// A field this long or longer needs more than one byte for its length.
constexpr std::size_t kOneByteLength = 32;

std::size_t TextTokenSize(std::size_t length) {
  return VarintSize(length << 2) + length;
}

unsigned char* PutText(unsigned char* p, std::string_view text) {
  p = PutVarint(p, std::uint64_t{text.size()} << 2 | kText);
  if (text.size() <= 16) { // most fields are short: no call for them
    for (const char ch : text)
      *p++ = static_cast<unsigned char>(ch);
    return p;
  }
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

std::size_t SharedTokenSize(SharedTextId id) {
  return VarintSize(std::uint64_t{id} << 2 | kShared);
}

unsigned char* PutShared(unsigned char* p, SharedTextId id) {
  return PutVarint(p, std::uint64_t{id} << 2 | kShared);
}

// Whether `next` starts one separator byte after `field` ends in the same
// line. Compared as addresses: an empty field may have no data at all.
bool FollowsInLine(std::string_view field, std::string_view next) {
  return reinterpret_cast<std::uintptr_t>(next.data()) ==
             reinterpret_cast<std::uintptr_t>(field.data()) + field.size() + 1 &&
         field.data() != nullptr;
}

// How many fields from the first lie one after another in one line, each
// short enough for a one-byte length (0 when the first is not short).
std::size_t PackableRun(const std::string_view* fields, std::size_t count) {
  if (count == 0 || fields[0].size() >= kOneByteLength)
    return 0;
  std::size_t n = 1;
  while (n < count && fields[n].size() < kOneByteLength && FollowsInLine(fields[n - 1], fields[n]))
    ++n;
  return n;
}

bool PackableLine(const std::string_view* fields, std::size_t count) {
  return count > 0 && PackableRun(fields, count) == count;
}

std::size_t PackedSpan(const std::string_view* fields, std::size_t count) {
  return static_cast<std::size_t>(fields[count - 1].data() + fields[count - 1].size() -
                                  fields[0].data());
}

unsigned char* PutPackedLine(unsigned char* p, const std::string_view* fields, std::size_t count) {
  const char* first = fields[0].data();
  const std::size_t span = PackedSpan(fields, count);
  // A line of one empty field may come without any data at all (a default
  // view): nothing to copy then, and no address to copy from.
  if (span > 0)
    std::memcpy(p + 1, first, span);
  p[0] = static_cast<unsigned char>(fields[0].size() << 2 | kText);
  for (std::size_t i = 1; i < count; ++i)
    p[fields[i].data() - first] = static_cast<unsigned char>(fields[i].size() << 2 | kText);
  return p + 1 + span;
}

// One past the last byte of the tokens at `p` that cover `left` columns.
const unsigned char* TokensEnd(const unsigned char* p, std::uint64_t left) {
  while (left > 0) {
    std::uint64_t v;
    p = GetVarint(p, v);
    switch (v & 3) {
    case kText:
      p += v >> 2;
      --left;
      break;
    case kShared:
      --left;
      break;
    default:
      left -= v >> 2;
    }
  }
  return p;
}

} // namespace

void WriteHeader(Segment* s, std::int32_t base, std::uint32_t count) {
  SetNext(s, nullptr);
  std::memcpy(Bytes(s) + 8, &base, 4);
  SetCount(s, count);
}

std::size_t ChainBytes(RowRef row) {
  if (row.IsCompact()) {
    std::uint64_t count;
    const unsigned char* tokens = CompactTokens(row, count);
    return static_cast<std::size_t>(TokensEnd(tokens, count) - row.CompactBytes());
  }
  std::size_t n = 0;
  const Segment* last = row.Last();
  for (const Segment* s = FirstOf(last); s; s = AfterIn(s, last))
    n += static_cast<std::size_t>(TokensEnd(Payload(s), CountOf(s)) - Bytes(s));
  return n;
}

std::vector<Cell> DecodeChain(RowRef row) {
  std::vector<Cell> cells;
  RowPieces<false> pieces(row, INT64_MAX);
  RowPiece piece;
  while (pieces.Next(piece)) {
    const auto col = static_cast<std::int32_t>(piece.col);
    if (piece.kind == RowPiece::kShared)
      cells.push_back({col, true, static_cast<SharedTextId>(piece.size), {}});
    else if (piece.size > 0)
      cells.push_back(
          {col, false, 0, std::string_view(reinterpret_cast<const char*>(piece.data), piece.size)});
  }
  return cells;
}

Encoded EncodeCells(const std::vector<Cell>& cells, CellArena& arena) {
  // A compact row starts at column 0: a row whose first cell lies further
  // right begins with a gap.
  const auto covers = static_cast<std::uint64_t>(cells.back().col) + 1;
  std::size_t size = VarintSize(covers);
  std::int64_t col = 0;
  for (const Cell& c : cells) {
    if (c.col > col)
      size += GapSize(static_cast<std::uint64_t>(c.col - col));
    size += c.shared ? SharedTokenSize(c.id) : TextTokenSize(c.text.size());
    col = std::int64_t{c.col} + 1;
  }
  unsigned char* first = arena.Allocate(size);
  unsigned char* p = PutVarint(first, covers);
  col = 0;
  for (const Cell& c : cells) {
    if (c.col > col)
      p = PutGap(p, static_cast<std::uint64_t>(c.col - col));
    p = c.shared ? PutShared(p, c.id) : PutText(p, c.text);
    col = std::int64_t{c.col} + 1;
  }
  return {RowRef::Compact(first), p};
}

Converted ToChain(RowRef compact, CellArena& arena) {
  std::uint64_t count;
  const unsigned char* tokens = CompactTokens(compact, count);
  const auto size = static_cast<std::size_t>(TokensEnd(tokens, count) - tokens);
  auto* seg = reinterpret_cast<Segment*>(arena.Allocate(kHeader + size));
  WriteHeader(seg, 0, static_cast<std::uint32_t>(count));
  SetNext(seg, seg);
  std::memcpy(Bytes(seg) + kHeader, tokens, size);
  return {seg, Bytes(seg) + kHeader + size};
}

CellsLayout LayOutCells(const std::string_view* fields, std::size_t count,
                        const SharedTextId* trailing) {
  CellsLayout layout{0, PackableLine(fields, count)};
  if (layout.packed) {
    layout.size = PackedSpan(fields, count) + 1;
  } else {
    for (std::size_t i = 0; i < count; ++i)
      layout.size += TextTokenSize(fields[i].size());
  }
  if (trailing)
    layout.size += SharedTokenSize(*trailing);
  return layout;
}

unsigned char* PutCells(unsigned char* p, const CellsLayout& layout, const std::string_view* fields,
                        std::size_t count, const SharedTextId* trailing) {
  if (layout.packed) {
    p = PutPackedLine(p, fields, count);
  } else {
    // Fields placed out of their line's order (columns matched by name) or
    // with gaps between them still come in runs that follow each other in
    // the line: each run is copied at once, like a whole line.
    for (std::size_t i = 0; i < count;) {
      const std::size_t run = PackableRun(fields + i, count - i);
      if (run > 1) {
        p = PutPackedLine(p, fields + i, run);
        i += run;
      } else {
        p = PutText(p, fields[i]);
        ++i;
      }
    }
  }
  if (trailing)
    p = PutShared(p, *trailing);
  return p;
}

std::size_t GapSize(std::uint64_t count) {
  return VarintSize(count << 2 | kGap);
}

unsigned char* PutGap(unsigned char* p, std::uint64_t count) {
  return PutVarint(p, count << 2 | kGap);
}

} // namespace codec
} // namespace merge
