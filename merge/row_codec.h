#pragma once
// The bytes of a stored row. Nearly every row is compact: one run of tokens
// (below) from column 0, behind a varint of the columns it covers, and
// nothing else. A row that grows a piece where it cannot be extended in place
// becomes a ring of segments; a segment holds the cells of consecutive
// columns, packed in the arena without alignment:
//   bytes 0..7   the row's next segment; the row slot holds the row's last
//                segment, whose next is the first (a ring), so that a row
//                grows at its end in one step; segments are sorted by
//                column and never overlap
//   bytes 8..11  the first column
//   bytes 12..15 how many columns the segment covers
//   then one token per cell, or per run of empty columns:
//     varint (length << 2 | 0) and the bytes   a text (length 0: empty)
//     varint (id << 2 | 1)                      an interned text
//     varint (count << 2 | 2)                   `count` empty columns
// A text shorter than 32 bytes has a one-byte length (below 0x80), so a run
// of short texts reads as the line they came from, shifted by one byte, with
// each separator replaced by the next text's length.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace merge {

class CellArena;
struct Segment;

// An interned text: stored once, referenced from any number of cells.
using SharedTextId = std::uint32_t;

namespace codec {

constexpr std::size_t kHeader = 16;
enum TokenKind : unsigned { kText = 0, kShared = 1, kGap = 2 };

inline unsigned char* Bytes(Segment* s) {
  return reinterpret_cast<unsigned char*>(s);
}
inline const unsigned char* Bytes(const Segment* s) {
  return reinterpret_cast<const unsigned char*>(s);
}
inline Segment* NextOf(const Segment* s) {
  Segment* n;
  std::memcpy(&n, Bytes(s), sizeof n);
  return n;
}
inline void SetNext(Segment* s, Segment* next) {
  std::memcpy(Bytes(s), &next, sizeof next);
}
inline std::int32_t BaseOf(const Segment* s) {
  std::int32_t v;
  std::memcpy(&v, Bytes(s) + 8, 4);
  return v;
}
inline std::uint32_t CountOf(const Segment* s) {
  std::uint32_t v;
  std::memcpy(&v, Bytes(s) + 12, 4);
  return v;
}
inline void SetCount(Segment* s, std::uint32_t count) {
  std::memcpy(Bytes(s) + 12, &count, 4);
}
inline std::int64_t EndOf(const Segment* s) {
  return std::int64_t{BaseOf(s)} + CountOf(s);
}
inline const unsigned char* Payload(const Segment* s) {
  return Bytes(s) + kHeader;
}
// A row's chain is given by its last segment.
inline Segment* FirstOf(const Segment* last) {
  return last ? NextOf(last) : nullptr;
}
inline Segment* AfterIn(const Segment* s, const Segment* last) {
  return s == last ? nullptr : NextOf(s);
}

// A stored row as the row directory holds it: empty, a ring of segments
// (given by its last segment) or a compact row (given by its first byte).
// The compact tag is the top bit of a 64-bit word, which no address the
// arena hands out has (CellArena makes sure).
class RowRef {
public:
  static constexpr std::uint64_t kCompactTag = std::uint64_t{1} << 63;

  RowRef() = default;
  static RowRef Chain(const Segment* last) {
    return RowRef(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(last)));
  }
  static RowRef Compact(const unsigned char* first) {
    return RowRef(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(first)) |
                  kCompactTag);
  }

  explicit operator bool() const { return bits_ != 0; }
  bool IsCompact() const { return (bits_ & kCompactTag) != 0; }
  // The ring's last segment; null for an empty or compact row.
  Segment* Last() const {
    return IsCompact() ? nullptr : reinterpret_cast<Segment*>(static_cast<std::uintptr_t>(bits_));
  }
  // A compact row's first byte (its column count).
  unsigned char* CompactBytes() const {
    return reinterpret_cast<unsigned char*>(static_cast<std::uintptr_t>(bits_ & ~kCompactTag));
  }
  // The tagged word, and back (for the row directory's packed slots).
  std::uint64_t Bits() const { return bits_; }
  static RowRef FromBits(std::uint64_t bits) { return RowRef(bits); }
  friend bool operator==(RowRef a, RowRef b) { return a.bits_ == b.bits_; }
  friend bool operator!=(RowRef a, RowRef b) { return a.bits_ != b.bits_; }

private:
  explicit RowRef(std::uint64_t bits) : bits_(bits) {}
  std::uint64_t bits_ = 0;
};

inline const unsigned char* GetVarint(const unsigned char* p, std::uint64_t& v) {
  std::uint64_t r = *p & 0x7F;
  int shift = 7;
  while (*p++ & 0x80) {
    r |= std::uint64_t(*p & 0x7F) << shift;
    shift += 7;
  }
  v = r;
  return p;
}

inline std::size_t VarintSize(std::uint64_t v) {
  std::size_t n = 1;
  while (v >= 0x80) {
    v >>= 7;
    ++n;
  }
  return n;
}

inline unsigned char* PutVarint(unsigned char* p, std::uint64_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<unsigned char>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<unsigned char>(v);
  return p;
}

// The columns a compact row covers, and where its tokens start.
inline const unsigned char* CompactTokens(RowRef row, std::uint64_t& count) {
  return GetVarint(row.CompactBytes(), count);
}

// One past the last column a row covers (0 for an empty row), and the
// lowest column it may hold a cell at.
inline std::int64_t RowEnd(RowRef row) {
  if (row.IsCompact()) {
    std::uint64_t count;
    CompactTokens(row, count);
    return static_cast<std::int64_t>(count);
  }
  return row ? EndOf(row.Last()) : 0;
}
inline std::int64_t RowBase(RowRef row) {
  return row && !row.IsCompact() ? BaseOf(FirstOf(row.Last())) : 0;
}

// Whether the byte at a token's start begins a short text: a one-byte
// length, the text right behind it.
inline bool IsShortText(unsigned char token) {
  return token < 0x80 && (token & 3) == kText;
}
inline std::size_t ShortTextLength(unsigned char token) {
  return token >> 2;
}

// The token of a segment that covers column `col`, scanning from the token
// at `p`, which starts at column `at` (col >= at, col below the segment's
// end).
struct Token {
  const unsigned char* start; // where the token begins
  std::int64_t col;           // the first column it covers
  unsigned kind;              // TokenKind
  std::uint64_t n;            // the text's length, the interned id, or the gap
  const unsigned char* text;  // kText: the text's bytes
};
inline Token FindToken(const unsigned char* p, std::int64_t at, std::int64_t col) {
  for (;;) {
    const unsigned char* start = p;
    std::uint64_t v;
    p = GetVarint(p, v);
    const Token token{start, at, static_cast<unsigned>(v & 3), v >> 2, p};
    const std::int64_t covers = token.kind == kGap ? static_cast<std::int64_t>(token.n) : 1;
    if (col < at + covers)
      return token;
    if (token.kind == kText)
      p += token.n;
    at += covers;
  }
}

// One cell of a decoded row; `text` only for a cell that is not shared.
struct Cell {
  std::int32_t col;
  bool shared;
  SharedTextId id;
  std::string_view text;
};

// The non-empty cells of a row in column order. The texts are views into
// the row.
std::vector<Cell> DecodeChain(RowRef row);

// The bytes a row takes in the arena, for counting garbage.
std::size_t ChainBytes(RowRef row);

// `cells` (sorted by column, not empty) as a new compact row; `end` is one
// past its last byte.
struct Encoded {
  RowRef row;
  unsigned char* end;
};
Encoded EncodeCells(const std::vector<Cell>& cells, CellArena& arena);

// A compact row copied into a ring of one segment, so that more segments can
// follow it; `end` is one past the copy's last byte.
struct Converted {
  Segment* segment;
  unsigned char* end;
};
Converted ToChain(RowRef compact, CellArena& arena);

// Writing a row's new cells at the end of its chain: the bytes the tokens of
// `count` fields and the optional trailing interned text take, then writing
// them at `p` (returns the end). Fields that lie one after another in one
// line, one separator byte apart, each short, are written by copying the line
// once and putting each field's length over the separator before it.
struct CellsLayout {
  std::size_t size;
  bool packed;
};
CellsLayout LayOutCells(const std::string_view* fields, std::size_t count,
                        const SharedTextId* trailing);
unsigned char* PutCells(unsigned char* p, const CellsLayout& layout, const std::string_view* fields,
                        std::size_t count, const SharedTextId* trailing);

// A gap of `count` empty columns (count > 0) and its size.
std::size_t GapSize(std::uint64_t count);
unsigned char* PutGap(unsigned char* p, std::uint64_t count);

void WriteHeader(Segment* s, std::int32_t base, std::uint32_t count);

// One stored cell, or with runs, a run of consecutive short texts.
struct RowPiece {
  enum Kind { kText, kShared, kShortRun };
  Kind kind;
  std::int64_t col;          // the first column it covers
  std::int64_t count;        // columns covered: 1 but for a run
  const unsigned char* data; // kText: the text; kShortRun: the run, length bytes included
  std::uint64_t size; // kText: the text's length; kShortRun: the run's bytes; kShared: the id
};

// Reads one row in column order, columns below `end_col`; gaps are
// skipped. With kRuns, consecutive short texts come as one kShortRun piece
// (IsShortText, ShortTextLength read it).
template <bool kRuns> class RowPieces {
public:
  RowPieces(RowRef row, std::int64_t end_col)
      : compact_(row.IsCompact() ? row.CompactBytes() : nullptr), last_(row.Last()),
        next_(FirstOf(last_)), end_col_(end_col) {}

  bool Next(RowPiece& piece) {
    for (;;) {
      if (col_ >= seg_end_ && !EnterNextSegment())
        return false;
      if (kRuns && IsShortText(*p_)) {
        const unsigned char* r = p_;
        std::int64_t run_end = col_;
        while (run_end < seg_end_ && IsShortText(*r)) {
          r += 1 + ShortTextLength(*r);
          ++run_end;
        }
        piece = {RowPiece::kShortRun, col_, run_end - col_, p_, static_cast<std::uint64_t>(r - p_)};
        p_ = r;
        col_ = run_end;
        return true;
      }
      std::uint64_t v;
      p_ = GetVarint(p_, v);
      const std::uint64_t n = v >> 2;
      switch (v & 3) {
      case kText:
        piece = {RowPiece::kText, col_, 1, p_, n};
        p_ += n;
        ++col_;
        return true;
      case kShared:
        piece = {RowPiece::kShared, col_, 1, nullptr, n};
        ++col_;
        return true;
      default:
        col_ += static_cast<std::int64_t>(n);
      }
    }
  }

private:
  bool EnterNextSegment() {
    if (compact_) {
      std::uint64_t count;
      p_ = GetVarint(compact_, count);
      compact_ = nullptr;
      col_ = 0;
      seg_end_ = std::min<std::int64_t>(static_cast<std::int64_t>(count), end_col_);
      return seg_end_ > 0;
    }
    if (next_ == nullptr || BaseOf(next_) >= end_col_)
      return false;
    col_ = BaseOf(next_);
    seg_end_ = std::min<std::int64_t>(EndOf(next_), end_col_);
    p_ = Payload(next_);
    next_ = AfterIn(next_, last_);
    return true;
  }

  const unsigned char* compact_; // a compact row not entered yet
  const Segment* last_;
  const Segment* next_;
  std::int64_t end_col_;
  std::int64_t col_ = 0;
  std::int64_t seg_end_ = 0;
  const unsigned char* p_ = nullptr;
};

} // namespace codec
} // namespace merge
