#include "merge/result_table.h"

#include "merge/cell_arena.h"
#include "platform/errors.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <sys/mman.h>
#include <unordered_map>

namespace merge {

// A segment holds the cells of consecutive columns of one row, packed in the
// arena without alignment:
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
struct Segment;

namespace {

constexpr std::size_t kHeader = 16;
constexpr int kPageBits = 18; // 2 MiB of slots: one huge page
constexpr std::int64_t kPageSize = std::int64_t{1} << kPageBits;

enum TokenKind : unsigned { kText = 0, kShared = 1, kGap = 2 };

unsigned char* Bytes(Segment* s) {
  return reinterpret_cast<unsigned char*>(s);
}
const unsigned char* Bytes(const Segment* s) {
  return reinterpret_cast<const unsigned char*>(s);
}

Segment* NextOf(const Segment* s) {
  Segment* n;
  std::memcpy(&n, Bytes(s), sizeof n);
  return n;
}
void SetNext(Segment* s, Segment* next) {
  std::memcpy(Bytes(s), &next, sizeof next);
}
std::int32_t BaseOf(const Segment* s) {
  std::int32_t v;
  std::memcpy(&v, Bytes(s) + 8, 4);
  return v;
}
std::uint32_t CountOf(const Segment* s) {
  std::uint32_t v;
  std::memcpy(&v, Bytes(s) + 12, 4);
  return v;
}
void SetCount(Segment* s, std::uint32_t count) {
  std::memcpy(Bytes(s) + 12, &count, 4);
}
std::int64_t EndOf(const Segment* s) {
  return std::int64_t{BaseOf(s)} + CountOf(s);
}
void WriteHeader(Segment* s, std::int32_t base, std::uint32_t count) {
  SetNext(s, nullptr);
  std::memcpy(Bytes(s) + 8, &base, 4);
  SetCount(s, count);
}
const unsigned char* Payload(const Segment* s) {
  return Bytes(s) + kHeader;
}

std::size_t VarintSize(std::uint64_t v) {
  std::size_t n = 1;
  while (v >= 0x80) {
    v >>= 7;
    ++n;
  }
  return n;
}
unsigned char* PutVarint(unsigned char* p, std::uint64_t v) {
  while (v >= 0x80) {
    *p++ = static_cast<unsigned char>(v | 0x80);
    v >>= 7;
  }
  *p++ = static_cast<unsigned char>(v);
  return p;
}
const unsigned char* GetVarint(const unsigned char* p, std::uint64_t& v) {
  std::uint64_t r = *p & 0x7F;
  int shift = 7;
  while (*p++ & 0x80) {
    r |= std::uint64_t(*p & 0x7F) << shift;
    shift += 7;
  }
  v = r;
  return p;
}

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

// A row's chain is given by its last segment.
// Fields that lie one after another in one line, one separator byte apart,
// each short enough for a one-byte length (the usual collected line), are
// encoded by copying the line once and writing each field's length over the
// separator before it.
constexpr std::size_t kOneByteLength = 32;

bool PackableLine(const std::string_view* fields, std::size_t count) {
  if (count == 0)
    return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (fields[i].size() >= kOneByteLength)
      return false;
    if (i > 0 && fields[i].data() != fields[i - 1].data() + fields[i - 1].size() + 1)
      return false;
  }
  return true;
}

std::size_t PackedSpan(const std::string_view* fields, std::size_t count) {
  return static_cast<std::size_t>(fields[count - 1].data() + fields[count - 1].size() -
                                  fields[0].data());
}

unsigned char* PutPackedLine(unsigned char* p, const std::string_view* fields, std::size_t count) {
  const char* first = fields[0].data();
  const std::size_t span = PackedSpan(fields, count);
  std::memcpy(p + 1, first, span);
  p[0] = static_cast<unsigned char>(fields[0].size() << 2 | kText);
  for (std::size_t i = 1; i < count; ++i)
    p[fields[i].data() - first] = static_cast<unsigned char>(fields[i].size() << 2 | kText);
  return p + 1 + span;
}

Segment* FirstOf(const Segment* last) {
  return last ? NextOf(last) : nullptr;
}
Segment* AfterIn(const Segment* s, const Segment* last) {
  return s == last ? nullptr : NextOf(s);
}

// One past the last byte of the segment.
const unsigned char* SegmentEnd(const Segment* s) {
  const unsigned char* p = Payload(s);
  for (std::uint64_t left = CountOf(s); left > 0;) {
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

std::size_t ChainBytes(const Segment* last) {
  std::size_t n = 0;
  for (const Segment* s = FirstOf(last); s; s = AfterIn(s, last))
    n += static_cast<std::size_t>(SegmentEnd(s) - Bytes(s));
  return n;
}

constexpr std::size_t kPageBytes = sizeof(Segment*) * kPageSize;

// A zeroed page of row slots, aligned to its size so that it can be one
// huge page.
Segment** MapPage() {
  void* p =
      ::mmap(nullptr, 2 * kPageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED)
    throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t aligned = (start + kPageBytes - 1) & ~(std::uintptr_t{kPageBytes} - 1);
  if (aligned > start)
    ::munmap(p, aligned - start);
  if (aligned + kPageBytes < start + 2 * kPageBytes)
    ::munmap(reinterpret_cast<void*>(aligned + kPageBytes), start + kPageBytes - aligned);
#ifdef MADV_HUGEPAGE
  ::madvise(reinterpret_cast<void*>(aligned), kPageBytes, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<Segment**>(aligned);
}

[[noreturn]] void ThrowListIndex(std::int64_t index) {
  throw platform::Error("List index out of bounds (" + std::to_string(index) + ")");
}

} // namespace

struct ResultTable::DecodedCell {
  std::int32_t col;
  bool shared;
  SharedTextId id;
  std::string_view text;
};

struct ResultTable::SharedIndex {
  std::deque<std::string> texts; // a deque: views of its strings never move
  std::unordered_map<std::string_view, SharedTextId> ids;
};

ResultTable::ResultTable()
    : arena_(std::make_unique<CellArena>()), shared_(std::make_unique<SharedIndex>()) {}

ResultTable::~ResultTable() = default;

// --- Row directory -----------------------------------------------------------

void ResultTable::PageDeleter::operator()(Segment** page) const {
  ::munmap(page, kPageBytes);
}

Segment* ResultTable::RowChain(std::int32_t row) const {
  const auto page = static_cast<std::size_t>(row >> kPageBits);
  if (page >= pages_.size() || !pages_[page])
    return nullptr;
  return pages_[page][row & (kPageSize - 1)];
}

Segment** ResultTable::RowSlot(std::int32_t row, bool create) {
  const auto page = static_cast<std::size_t>(row >> kPageBits);
  if (page >= pages_.size()) {
    if (!create)
      return nullptr;
    pages_.resize(page + 1);
  }
  if (!pages_[page]) {
    if (!create)
      return nullptr;
    pages_[page].reset(MapPage());
  }
  if (row >= stored_row_end_)
    stored_row_end_ = std::int64_t{row} + 1;
  return &pages_[page][row & (kPageSize - 1)];
}

void ResultTable::SetRowChain(std::int32_t row, Segment* head) {
  if (Segment** slot = RowSlot(row, head != nullptr))
    *slot = head;
}

// --- Decoding and encoding rows ---------------------------------------------

std::string_view ResultTable::SharedText(SharedTextId id) const {
  return shared_->texts[id];
}

std::vector<ResultTable::DecodedCell> ResultTable::DecodeChain(const Segment* last) const {
  std::vector<DecodedCell> cells;
  for (const Segment* s = FirstOf(last); s; s = AfterIn(s, last)) {
    const unsigned char* p = Payload(s);
    std::int64_t col = BaseOf(s);
    const std::int64_t end = EndOf(s);
    while (col < end) {
      std::uint64_t v;
      p = GetVarint(p, v);
      const std::uint64_t n = v >> 2;
      switch (v & 3) {
      case kText:
        if (n > 0)
          cells.push_back({static_cast<std::int32_t>(col), false, 0,
                           std::string_view(reinterpret_cast<const char*>(p), n)});
        p += n;
        ++col;
        break;
      case kShared:
        cells.push_back({static_cast<std::int32_t>(col), true, static_cast<SharedTextId>(n),
                         SharedText(static_cast<SharedTextId>(n))});
        ++col;
        break;
      default:
        col += static_cast<std::int64_t>(n);
      }
    }
  }
  return cells;
}

Segment* ResultTable::EncodeCells(const std::vector<DecodedCell>& cells) {
  if (cells.empty())
    return nullptr;
  const std::int32_t base = cells.front().col;
  std::size_t size = kHeader;
  std::int64_t col = base;
  for (const DecodedCell& c : cells) {
    if (c.col > col)
      size += VarintSize(std::uint64_t(c.col - col) << 2 | kGap);
    size +=
        c.shared ? VarintSize(std::uint64_t{c.id} << 2 | kShared) : TextTokenSize(c.text.size());
    col = std::int64_t{c.col} + 1;
  }
  auto* seg = reinterpret_cast<Segment*>(arena_->Allocate(size));
  WriteHeader(seg, base, static_cast<std::uint32_t>(col - base));
  SetNext(seg, seg);
  unsigned char* p = Bytes(seg) + kHeader;
  col = base;
  for (const DecodedCell& c : cells) {
    if (c.col > col)
      p = PutVarint(p, std::uint64_t(c.col - col) << 2 | kGap);
    p = c.shared ? PutVarint(p, std::uint64_t{c.id} << 2 | kShared) : PutText(p, c.text);
    col = std::int64_t{c.col} + 1;
  }
  tail_segment_ = seg;
  tail_end_ = p;
  return seg;
}

void ResultTable::ReplaceRow(std::int32_t row, const std::vector<DecodedCell>& cells) {
  Segment* old = RowChain(row);
  Segment* fresh = EncodeCells(cells); // may read from the old chain: free it after
  garbage_ += ChainBytes(old);
  SetRowChain(row, fresh);
}

// --- Reading -----------------------------------------------------------------

void ResultTable::InvalidateCursor() const {
  cursor_.row = -1;
}

std::string_view ResultTable::GetCell(std::int32_t col, std::int32_t row) const {
  if (row < 0)
    ThrowListIndex(row);
  if (col < 0)
    return {};
  const Segment* last = RowChain(row);
  const Segment* seg;
  const unsigned char* p = nullptr;
  std::int64_t at = 0;
  if (cursor_.row == row && col >= cursor_.col) {
    seg = cursor_.segment;
    p = cursor_.pos;
    at = cursor_.col;
  } else {
    seg = FirstOf(last);
  }
  for (; seg; seg = AfterIn(seg, last), p = nullptr) {
    if (col < BaseOf(seg))
      return {};
    if (col >= EndOf(seg))
      continue;
    if (!p) {
      p = Payload(seg);
      at = BaseOf(seg);
    }
    for (;;) {
      const unsigned char* token = p;
      std::uint64_t v;
      p = GetVarint(p, v);
      const std::uint64_t n = v >> 2;
      const unsigned kind = v & 3;
      const std::int64_t covers = kind == kGap ? static_cast<std::int64_t>(n) : 1;
      if (col < at + covers) {
        cursor_ = {row, static_cast<std::int32_t>(at), seg, token};
        if (kind == kText)
          return std::string_view(reinterpret_cast<const char*>(p), n);
        if (kind == kShared)
          return SharedText(static_cast<SharedTextId>(n));
        return {};
      }
      if (kind == kText)
        p += n;
      at += covers;
    }
  }
  return {};
}

void ResultTable::VisitRow(std::int32_t row, std::int32_t first_col, std::int32_t end_col,
                           void (*fn)(void*, std::int32_t, std::string_view), void* ctx) const {
  if (row < 0)
    ThrowListIndex(row);
  const Segment* last = RowChain(row);
  for (const Segment* seg = FirstOf(last); seg; seg = AfterIn(seg, last)) {
    std::int64_t col = BaseOf(seg);
    if (col >= end_col)
      return;
    const std::int64_t end = EndOf(seg);
    if (end <= first_col)
      continue;
    const unsigned char* p = Payload(seg);
    while (col < end && col < end_col) {
      std::uint64_t v;
      p = GetVarint(p, v);
      const std::uint64_t n = v >> 2;
      switch (v & 3) {
      case kText:
        if (n > 0 && col >= first_col)
          fn(ctx, static_cast<std::int32_t>(col),
             std::string_view(reinterpret_cast<const char*>(p), n));
        p += n;
        ++col;
        break;
      case kShared:
        if (col >= first_col)
          fn(ctx, static_cast<std::int32_t>(col), SharedText(static_cast<SharedTextId>(n)));
        ++col;
        break;
      default:
        col += static_cast<std::int64_t>(n);
      }
    }
  }
}

std::size_t ResultTable::JoinRow(std::int32_t row, std::int32_t col_count, char delimiter,
                                 char* out, std::size_t room) const {
  if (row < 0)
    ThrowListIndex(row);
  char* p = out;
  char* const end = out + room;
  std::int64_t col = 0;
  const Segment* last = RowChain(row);
  for (const Segment* seg = FirstOf(last); seg && col < col_count; seg = AfterIn(seg, last)) {
    const std::int64_t base = BaseOf(seg);
    if (base >= col_count)
      break;
    if (base - col > end - p)
      return kNoRoom;
    std::memset(p, delimiter, static_cast<std::size_t>(base - col));
    p += base - col;
    col = base;
    const std::int64_t seg_end = std::min<std::int64_t>(EndOf(seg), col_count);
    const unsigned char* q = Payload(seg);
    while (col < seg_end) {
      if (*q < 0x80 && (*q & 3) == kText) {
        // A run of short texts, each behind its one-byte length, is the
        // saved line shifted by one byte: copy it whole, then put the
        // delimiter where each following length stood.
        const unsigned char* r = q;
        std::int64_t run_end = col;
        while (run_end < seg_end && *r < 0x80 && (*r & 3) == kText) {
          r += 1 + (*r >> 2);
          ++run_end;
        }
        const auto bytes = static_cast<std::size_t>(r - q);
        if (static_cast<std::ptrdiff_t>(bytes) > end - p)
          return kNoRoom;
        std::memcpy(p, q + 1, bytes - 1);
        for (const unsigned char* t = q + 1 + (*q >> 2); t < r; t += 1 + (*t >> 2))
          p[t - q - 1] = delimiter;
        p[bytes - 1] = delimiter;
        p += bytes;
        q = r;
        col = run_end;
        continue;
      }
      std::uint64_t v;
      q = GetVarint(q, v);
      const std::uint64_t n = v >> 2;
      if ((v & 3) == kGap) {
        const std::int64_t empty =
            std::min<std::int64_t>(static_cast<std::int64_t>(n), seg_end - col);
        if (empty > end - p)
          return kNoRoom;
        std::memset(p, delimiter, static_cast<std::size_t>(empty));
        p += empty;
        col += empty;
        continue;
      }
      const std::string_view text = (v & 3) == kText
                                        ? std::string_view(reinterpret_cast<const char*>(q), n)
                                        : SharedText(static_cast<SharedTextId>(n));
      if ((v & 3) == kText)
        q += n;
      if (static_cast<std::ptrdiff_t>(text.size()) >= end - p)
        return kNoRoom;
      std::memcpy(p, text.data(), text.size());
      p += text.size();
      *p++ = delimiter;
      ++col;
    }
  }
  if (col_count - col > end - p)
    return kNoRoom;
  if (col < col_count) {
    std::memset(p, delimiter, static_cast<std::size_t>(col_count - col));
    p += col_count - col;
  }
  return static_cast<std::size_t>(p - out);
}

// --- Writing -----------------------------------------------------------------

SharedTextId ResultTable::InternText(std::string_view text) {
  const auto found = shared_->ids.find(text);
  if (found != shared_->ids.end())
    return found->second;
  const auto id = static_cast<SharedTextId>(shared_->texts.size());
  shared_->texts.emplace_back(text);
  shared_->ids.emplace(shared_->texts.back(), id);
  return id;
}

bool ResultTable::AppendCells(std::int32_t row, std::int32_t start_col,
                              const std::string_view* fields, std::size_t count,
                              const SharedTextId* trailing) {
  Segment* last = RowChain(row);
  if (last && start_col < EndOf(last))
    return false;
  const bool packed = PackableLine(fields, count);
  std::size_t size = 0;
  if (packed) {
    size = PackedSpan(fields, count) + 1;
  } else {
    for (std::size_t i = 0; i < count; ++i)
      size += TextTokenSize(fields[i].size());
  }
  if (trailing)
    size += VarintSize(std::uint64_t{*trailing} << 2 | kShared);
  const auto covers = static_cast<std::uint32_t>(count + (trailing ? 1 : 0));
  if (covers == 0)
    return true;

  unsigned char* p;
  if (last && last == tail_segment_) {
    const std::uint64_t gap = static_cast<std::uint64_t>(start_col - EndOf(last));
    const std::size_t gap_size = gap ? VarintSize(gap << 2 | kGap) : 0;
    if (arena_->TryExtend(tail_end_, gap_size + size)) {
      p = tail_end_;
      if (gap)
        p = PutVarint(p, gap << 2 | kGap);
      SetCount(last, static_cast<std::uint32_t>(CountOf(last) + gap + covers));
      last = nullptr; // extended in place
    } else {
      p = nullptr;
    }
  } else {
    p = nullptr;
  }
  if (!p) {
    auto* seg = reinterpret_cast<Segment*>(arena_->Allocate(kHeader + size));
    WriteHeader(seg, start_col, covers);
    if (last) {
      SetNext(seg, NextOf(last));
      SetNext(last, seg);
    } else {
      SetNext(seg, seg);
    }
    SetRowChain(row, seg);
    tail_segment_ = seg;
    p = Bytes(seg) + kHeader;
  }
  if (packed) {
    p = PutPackedLine(p, fields, count);
  } else {
    for (std::size_t i = 0; i < count; ++i)
      p = PutText(p, fields[i]);
  }
  if (trailing)
    p = PutVarint(p, std::uint64_t{*trailing} << 2 | kShared);
  tail_end_ = p;
  return true;
}

void ResultTable::SetCell(std::int32_t col, std::int32_t row, std::string_view text) {
  if (col < 0)
    ThrowListIndex(col);
  if (row < 0)
    ThrowListIndex(row);
  if (text.empty() && GetCell(col, row).empty())
    return;
  InvalidateCursor();
  if (text.empty() || !AppendCells(row, col, &text, 1, nullptr)) {
    std::vector<DecodedCell> cells = DecodeChain(RowChain(row));
    auto it = std::lower_bound(cells.begin(), cells.end(), col,
                               [](const DecodedCell& c, std::int32_t v) { return c.col < v; });
    if (it != cells.end() && it->col == col) {
      if (text.empty())
        cells.erase(it);
      else
        *it = {col, false, 0, text};
    } else if (!text.empty()) {
      cells.insert(it, {col, false, 0, text});
    }
    ReplaceRow(row, cells);
    MaybeCompact();
  }
  NotifyCell(col, row);
}

void ResultTable::PlaceCells(std::int32_t row, std::int32_t start_col,
                             const std::string_view* fields, std::size_t count,
                             const SharedTextId* trailing) {
  if (start_col < 0)
    ThrowListIndex(start_col);
  if (row < 0)
    ThrowListIndex(row);
  if (count == 0 && !trailing)
    return;
  InvalidateCursor();
  if (!AppendCells(row, start_col, fields, count, trailing)) {
    const std::int64_t end = std::int64_t{start_col} + count + (trailing ? 1 : 0);
    std::vector<DecodedCell> old = DecodeChain(RowChain(row));
    std::vector<DecodedCell> cells;
    cells.reserve(old.size() + count + 1);
    auto it = old.begin();
    for (; it != old.end() && it->col < start_col; ++it)
      cells.push_back(*it);
    for (std::size_t i = 0; i < count; ++i)
      if (!fields[i].empty())
        cells.push_back({static_cast<std::int32_t>(start_col + i), false, 0, fields[i]});
    if (trailing)
      cells.push_back(
          {static_cast<std::int32_t>(start_col + count), true, *trailing, SharedText(*trailing)});
    for (; it != old.end(); ++it)
      if (it->col >= end)
        cells.push_back(*it);
    ReplaceRow(row, cells);
    MaybeCompact();
  }
  if (observer_ && bulk_depth_ == 0) {
    for (std::size_t i = 0; i <= count; ++i)
      if (i < count || trailing)
        NotifyCell(static_cast<std::int32_t>(start_col + i), row);
  }
}

// --- Extents -------------------------------------------------------------------

namespace {

// One extent and its fixed count: at least 1, and a fixed count that no
// longer fits is lowered for good. False when nothing changes.
bool SetExtent(std::int32_t& count, std::int32_t& fixed, std::int32_t value) {
  if (value == count)
    return false;
  value = std::max(value, 1);
  if (value <= fixed)
    fixed = value - 1;
  count = value;
  return true;
}

} // namespace

void ResultTable::SetColCount(std::int32_t value) {
  const std::int32_t old_cols = col_count_;
  if (SetExtent(col_count_, fixed_cols_, value))
    NotifyExtents(old_cols, row_count_);
}

void ResultTable::SetRowCount(std::int32_t value) {
  const std::int32_t old_rows = row_count_;
  if (SetExtent(row_count_, fixed_rows_, value))
    NotifyExtents(col_count_, old_rows);
}

// --- Clearing --------------------------------------------------------------------

void ResultTable::DropRow(std::int32_t row) {
  const auto page = static_cast<std::size_t>(row >> kPageBits);
  if (page >= pages_.size() || !pages_[page])
    return;
  Segment*& head = pages_[page][row & (kPageSize - 1)];
  if (!head)
    return;
  garbage_ += ChainBytes(head);
  if (head == tail_segment_)
    tail_segment_ = nullptr;
  head = nullptr;
}

void ResultTable::ClearRow(std::int32_t row) {
  if (row < 0)
    ThrowListIndex(row);
  InvalidateCursor();
  DropRow(row);
  MaybeCompact();
  if (observer_ && bulk_depth_ == 0 && row < row_count_)
    observer_->RowChanged(row);
}

void ResultTable::ClearAll() {
  InvalidateCursor();
  ++bulk_depth_;
  const std::int32_t old_rows = row_count_;
  for (std::int32_t r = 0; r < old_rows; ++r)
    DropRow(r);
  bool rows_left = false;
  for (std::int64_t r = old_rows; r < stored_row_end_ && !rows_left; ++r)
    rows_left = RowChain(static_cast<std::int32_t>(r)) != nullptr;
  if (rows_left) {
    MaybeCompact();
  } else {
    // Nothing survives: give all memory back.
    pages_.clear();
    stored_row_end_ = 0;
    arena_->Release();
    shared_ = std::make_unique<SharedIndex>();
    garbage_ = 0;
    tail_segment_ = nullptr;
  }
  SetRowCount(2);
  SetColCount(2);
  EndBulkChange();
}

// --- Moving ------------------------------------------------------------------------

void ResultTable::MoveRow(std::int32_t from, std::int32_t to) {
  if (from < 0)
    ThrowListIndex(from);
  if (to < 0)
    ThrowListIndex(to);
  if (from == to)
    return;
  InvalidateCursor();
  Segment* moved = RowChain(from);
  if (from < to) {
    for (std::int32_t i = from; i < to; ++i)
      SetRowChain(i, RowChain(i + 1));
  } else {
    for (std::int32_t i = from; i > to; --i)
      SetRowChain(i, RowChain(i - 1));
  }
  SetRowChain(to, moved);
  if (observer_ && bulk_depth_ == 0)
    observer_->RowMoved(from, to);
}

void ResultTable::MoveColumn(std::int32_t from, std::int32_t to) {
  if (from < 0)
    ThrowListIndex(from);
  if (to < 0)
    ThrowListIndex(to);
  if (from == to)
    return;
  InvalidateCursor();
  const std::int32_t lo = std::min(from, to);
  const std::int32_t hi = std::max(from, to);
  for (std::int64_t r = 0; r < stored_row_end_; ++r) {
    const auto row = static_cast<std::int32_t>(r);
    Segment* last = RowChain(row);
    if (!last || EndOf(last) <= lo || BaseOf(FirstOf(last)) > hi)
      continue;
    std::vector<DecodedCell> cells = DecodeChain(last);
    bool touched = false;
    for (DecodedCell& c : cells) {
      if (c.col < lo || c.col > hi)
        continue;
      touched = true;
      if (c.col == from)
        c.col = to;
      else
        c.col += from < to ? -1 : 1;
    }
    if (!touched)
      continue;
    std::sort(cells.begin(), cells.end(),
              [](const DecodedCell& a, const DecodedCell& b) { return a.col < b.col; });
    ReplaceRow(row, cells);
  }
  MaybeCompact();
  if (observer_ && bulk_depth_ == 0)
    observer_->ColumnMoved(from, to);
}

void ResultTable::RemoveVisibleRows(const std::vector<std::int32_t>& rows) {
  if (rows.empty() || rows.front() < 0 || rows.front() >= row_count_)
    return;
  InvalidateCursor();
  const std::int32_t first = rows.front();
  const std::int32_t end = row_count_;
  const std::int64_t visible_end = col_count_;

  // A row whose cells all lie inside the visible columns moves as a whole;
  // only rows with cells beyond ColCount are split.
  struct Part {
    Segment* whole = nullptr;
    std::vector<DecodedCell> cells;
    bool split = false;
  };
  std::vector<Part> kept;
  std::vector<std::vector<DecodedCell>> outside(static_cast<std::size_t>(end - first));
  std::vector<char> has_outside(static_cast<std::size_t>(end - first), 0);
  std::vector<Segment*> dropped;
  std::size_t next_removed = 0;
  for (std::int32_t r = first; r < end; ++r) {
    const bool removed = next_removed < rows.size() && rows[next_removed] == r;
    if (removed)
      ++next_removed;
    Segment* head = RowChain(r);
    Segment* last = head;
    if (!last || EndOf(last) <= visible_end) {
      if (removed)
        dropped.push_back(head);
      else
        kept.push_back({head, {}, false});
      continue;
    }
    std::vector<DecodedCell> cells = DecodeChain(head);
    const auto split_at = std::find_if(cells.begin(), cells.end(),
                                       [&](const DecodedCell& c) { return c.col >= visible_end; });
    outside[static_cast<std::size_t>(r - first)].assign(split_at, cells.end());
    has_outside[static_cast<std::size_t>(r - first)] = 1;
    cells.erase(split_at, cells.end());
    if (!removed)
      kept.push_back({nullptr, std::move(cells), true});
    dropped.push_back(head);
  }

  for (std::int32_t w = first; w < end; ++w) {
    const auto idx = static_cast<std::size_t>(w - first);
    Part* part = idx < kept.size() ? &kept[idx] : nullptr;
    if (!has_outside[idx] && (!part || !part->split)) {
      SetRowChain(w, part ? part->whole : nullptr);
      continue;
    }
    std::vector<DecodedCell> cells;
    if (part) {
      if (part->split) {
        cells = std::move(part->cells);
      } else {
        cells = DecodeChain(part->whole);
        dropped.push_back(part->whole);
      }
    }
    cells.insert(cells.end(), outside[idx].begin(), outside[idx].end());
    SetRowChain(w, EncodeCells(cells));
  }
  for (Segment* s : dropped)
    garbage_ += ChainBytes(s);
  MaybeCompact();
  NotifyReset();
}

// --- Memory ---------------------------------------------------------------------------

void ResultTable::MaybeCompact() {
  if (garbage_ < compact_above_ || garbage_ < arena_->Used() / 2)
    return;
  // Copy every live row into a fresh arena, one segment a row, and let the
  // old blocks go. Views handed out earlier die here.
  auto fresh = std::make_unique<CellArena>();
  std::swap(arena_, fresh); // `fresh` now holds the old blocks until the end
  tail_segment_ = nullptr;
  for (std::int64_t r = 0; r < stored_row_end_; ++r) {
    const auto row = static_cast<std::int32_t>(r);
    if (Segment* head = RowChain(row))
      SetRowChain(row, EncodeCells(DecodeChain(head)));
  }
  garbage_ = 0;
  InvalidateCursor();
}

std::size_t ResultTable::MemoryUsed() const {
  std::size_t bytes = arena_->Used();
  for (const auto& page : pages_)
    if (page)
      bytes += kPageBytes;
  for (const std::string& s : shared_->texts)
    bytes += s.capacity() + sizeof s;
  return bytes;
}

// --- Telling the view -------------------------------------------------------------------

void ResultTable::NotifyCell(std::int32_t col, std::int32_t row) {
  if (observer_ && bulk_depth_ == 0 && col < col_count_ && row < row_count_)
    observer_->CellChanged(col, row);
}

void ResultTable::NotifyExtents(std::int32_t old_cols, std::int32_t old_rows) {
  if (observer_ && bulk_depth_ == 0)
    observer_->ExtentsChanged(old_cols, old_rows);
}

void ResultTable::NotifyReset() {
  if (observer_ && bulk_depth_ == 0)
    observer_->TableReset();
}

void ResultTable::BeginBulkChange() {
  ++bulk_depth_;
}

void ResultTable::EndBulkChange() {
  if (bulk_depth_ > 0 && --bulk_depth_ == 0)
    NotifyReset();
}

} // namespace merge
