// Finding a text quickly where it is not: most rows are stored compact, one
// after another in the arena, their short texts as the line they came from
// with a length byte for each separator. So runs of such rows are searched
// as one stretch of bytes, and only a row where the bytes hold the text is
// looked at cell by cell (a hit across a length byte is no match).

#include "merge/table_find.h"

#include "merge/stored_row_cells.h"
#include "merge/text_fold.h"
#include "platform/find_bytes.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace merge {

namespace {

constexpr std::size_t kStretchBytes = std::size_t{4} << 20;
constexpr std::uintptr_t kPage = 4096;
constexpr std::int64_t kTellEvery = 1 << 16;

class Matcher {
public:
  Matcher(std::string_view needle, const FindOptions& options, TextEncoding encoding)
      : options_(options), encoding_(encoding) {
    if (options.match_case)
      needle_.assign(needle.data(), needle.size());
    else
      FoldCase(needle, encoding, needle_);
    if (!needle_.empty())
      searcher_.emplace(needle_.begin(), needle_.end());
  }

  bool Empty() const { return needle_.empty(); }

  // Where the needle occurs in a text (npos: nowhere), from `from` on.
  std::size_t Find(std::string_view text, std::size_t from = 0) {
    std::string_view seen = text;
    if (!options_.match_case) {
      FoldCase(text, encoding_, folded_);
      seen = folded_;
    }
    if (options_.whole_cell)
      return from == 0 && seen == needle_ ? 0 : std::string_view::npos;
    if (from > seen.size())
      return std::string_view::npos;
    const auto hit =
        std::search(seen.begin() + static_cast<std::ptrdiff_t>(from), seen.end(), *searcher_);
    return hit == seen.end() ? std::string_view::npos
                             : static_cast<std::size_t>(hit - seen.begin());
  }
  bool Matches(std::string_view text) { return !Empty() && Find(text) != std::string_view::npos; }

  // Whether raw stored bytes may hold a matching cell: false only when no
  // cell stored in them (shared texts aside) can match.
  bool MayHold(const unsigned char* bytes, std::size_t size) {
    if (!options_.match_case && encoding_ == TextEncoding::kUtf8)
      return true; // folding UTF-8 needs its characters' starts: cell by cell
    std::string_view seen(reinterpret_cast<const char*>(bytes), size);
    if (!options_.match_case) {
      FoldCase(seen, encoding_, folded_);
      seen = folded_;
    }
    return platform::FindBytes(seen.data(), seen.size(), needle_.data(), needle_.size()) != nullptr;
  }

  // The text with every occurrence replaced; `count` the occurrences.
  std::string Replaced(std::string_view text, std::string_view replacement, std::int64_t& count) {
    count = 0;
    if (options_.whole_cell) {
      if (Find(text) == std::string_view::npos)
        return std::string(text);
      count = 1;
      return std::string(replacement);
    }
    std::string out;
    std::size_t at = 0;
    for (;;) {
      const std::size_t hit = Find(text, at);
      if (hit == std::string_view::npos)
        break;
      out.append(text.substr(at, hit - at));
      out.append(replacement);
      at = hit + needle_.size();
      ++count;
    }
    out.append(text.substr(at));
    return out;
  }

private:
  FindOptions options_;
  TextEncoding encoding_;
  std::string needle_;
  std::string folded_;
  std::optional<std::boyer_moore_horspool_searcher<std::string::const_iterator>> searcher_;
};

// The area and the rows of it that hold a match.
class Scanner {
public:
  Scanner(const ResultTable& table, Matcher& matcher, const FindOptions& options,
          platform::Progress* progress)
      : table_(table), matcher_(matcher), progress_(progress),
        lo_col_(options.first_col < 0 ? table.FixedCols() : options.first_col),
        hi_col_(table.ColCount()),
        first_row_(options.first_row < 0 ? table.FixedRows() : options.first_row),
        end_row_(table.RowCount()) {
    for (std::size_t id = 0; id < table.SharedTextCount() && !shared_may_match_; ++id)
      shared_may_match_ = matcher.Matches(table.SharedText(static_cast<SharedTextId>(id)));
  }

  std::int32_t LoCol() const { return lo_col_; }
  std::int32_t HiCol() const { return hi_col_; }
  std::int32_t FirstRow() const { return first_row_; }
  std::int32_t EndRow() const { return end_row_; }
  bool EmptyArea() const { return lo_col_ >= hi_col_ || first_row_ >= end_row_; }

  // The first (last, backward) matching column of a row in [lo, hi).
  std::optional<std::int32_t> InRow(std::int32_t row, std::int32_t lo, std::int32_t hi,
                                    bool backward) {
    std::optional<std::int32_t> found;
    bool done = false;
    ForEachCellOfRow(table_, table_.StoredRow(row), hi, [&](std::int32_t col, std::string_view t) {
      if (done || col < lo || !matcher_.Matches(t))
        return;
      found = col;
      done = !backward;
    });
    return found;
  }

  // The first row of [begin, end) with a match in the area's columns.
  std::optional<std::int32_t> FirstRowWith(std::int32_t begin, std::int32_t end) {
    std::int32_t row = begin;
    while (row < end) {
      Tell(row);
      const codec::RowRef stored = table_.StoredRow(row);
      if (!stored) {
        ++row;
        continue;
      }
      if (!stored.IsCompact() || shared_may_match_) {
        if (InRow(row, lo_col_, hi_col_, false))
          return row;
        ++row;
        continue;
      }
      // A stretch of compact rows lying one after another, each starting
      // less than a page after the one before: the bytes between belong to
      // the rows or to dead rows of the same arena block (a gap between
      // blocks is a page at least), so one search over the stretch misses
      // no row. Only the last row's end is worked out.
      const unsigned char* start = stored.CompactBytes();
      const unsigned char* last_start = start;
      codec::RowRef last = stored;
      std::int32_t next = row + 1;
      while (next < end && static_cast<std::size_t>(last_start - start) < kStretchBytes) {
        const codec::RowRef following = table_.StoredRow(next);
        if (following) {
          if (!following.IsCompact())
            break;
          const auto at = reinterpret_cast<std::uintptr_t>(following.CompactBytes());
          const auto before = reinterpret_cast<std::uintptr_t>(last_start);
          if (at <= before || at - before >= kPage)
            break;
          last_start = following.CompactBytes();
          last = following;
        }
        ++next;
      }
      const unsigned char* stretch_end = last_start + codec::ChainBytes(last);
      if (!matcher_.MayHold(start, static_cast<std::size_t>(stretch_end - start))) {
        row = next;
        continue;
      }
      // Somewhere in the stretch: row by row, each row's own bytes first.
      for (; row < next; ++row) {
        const codec::RowRef r = table_.StoredRow(row);
        if (r && matcher_.MayHold(r.CompactBytes(), codec::ChainBytes(r)) &&
            InRow(row, lo_col_, hi_col_, false))
          return row;
      }
    }
    return std::nullopt;
  }

  // The last row of [begin, end) with a match, looking from the end.
  std::optional<std::int32_t> LastRowWith(std::int32_t begin, std::int32_t end) {
    for (std::int32_t row = end; row-- > begin;) {
      Tell(end - row);
      const codec::RowRef stored = table_.StoredRow(row);
      if (!stored)
        continue;
      if (stored.IsCompact() && !shared_may_match_ &&
          !matcher_.MayHold(stored.CompactBytes(), codec::ChainBytes(stored)))
        continue;
      if (InRow(row, lo_col_, hi_col_, true))
        return row;
    }
    return std::nullopt;
  }

private:
  void Tell(std::int64_t step) {
    if (!progress_ || step % kTellEvery != 0)
      return;
    progress_->PartsDone(step, end_row_);
    if (progress_->CancelRequested())
      throw platform::Cancelled();
  }

  const ResultTable& table_;
  Matcher& matcher_;
  platform::Progress* progress_;
  std::int32_t lo_col_, hi_col_, first_row_, end_row_;
  bool shared_may_match_ = false;
};

std::optional<CellPlace> FindForward(Scanner& scan, CellPlace from) {
  if (from.col + 1 < scan.HiCol())
    if (auto col = scan.InRow(from.row, std::max(from.col + 1, scan.LoCol()), scan.HiCol(), false))
      return CellPlace{*col, from.row};
  for (const auto& [begin, end] :
       {std::pair{from.row + 1, scan.EndRow()}, std::pair{scan.FirstRow(), from.row}}) {
    if (auto row = scan.FirstRowWith(begin, end))
      return CellPlace{*scan.InRow(*row, scan.LoCol(), scan.HiCol(), false), *row};
  }
  if (auto col = scan.InRow(from.row, scan.LoCol(), std::min(from.col + 1, scan.HiCol()), false))
    return CellPlace{*col, from.row};
  return std::nullopt;
}

std::optional<CellPlace> FindBackward(Scanner& scan, CellPlace from) {
  if (auto col = scan.InRow(from.row, scan.LoCol(), std::min(from.col, scan.HiCol()), true))
    return CellPlace{*col, from.row};
  for (const auto& [begin, end] :
       {std::pair{scan.FirstRow(), from.row}, std::pair{from.row + 1, scan.EndRow()}}) {
    if (auto row = scan.LastRowWith(begin, end))
      return CellPlace{*scan.InRow(*row, scan.LoCol(), scan.HiCol(), true), *row};
  }
  if (auto col = scan.InRow(from.row, std::max(from.col, scan.LoCol()), scan.HiCol(), true))
    return CellPlace{*col, from.row};
  return std::nullopt;
}

} // namespace

bool TextMatches(std::string_view text, std::string_view needle, const FindOptions& options,
                 TextEncoding encoding) {
  Matcher matcher(needle, options, encoding);
  return matcher.Matches(text);
}

std::optional<CellPlace> FindCell(const ResultTable& table, std::string_view needle,
                                  const FindOptions& options, CellPlace from, bool backward,
                                  platform::Progress* progress) {
  Matcher matcher(needle, options, table.Encoding());
  Scanner scan(table, matcher, options, progress);
  if (matcher.Empty() || scan.EmptyArea())
    return std::nullopt;
  // A place outside the area starts from its nearest edge.
  from.row = std::clamp(from.row, scan.FirstRow(), scan.EndRow() - 1);
  from.col = std::clamp(from.col, scan.LoCol() - 1, scan.HiCol());
  return backward ? FindBackward(scan, from) : FindForward(scan, from);
}

namespace {

std::int64_t ReplaceWith(Matcher& matcher, ResultTable& table, CellPlace place,
                         Replacement& record) {
  std::string old_text(table.GetCell(place.col, place.row));
  std::int64_t count = 0;
  std::string fresh = matcher.Replaced(old_text, record.replacement, count);
  if (count == 0)
    return 0;
  table.SetCell(place.col, place.row, fresh);
  record.cells.push_back({place, std::move(old_text)});
  record.count += count;
  return count;
}

} // namespace

std::int64_t ReplaceInCell(ResultTable& table, CellPlace place, Replacement& record) {
  const FindOptions& o = record.options;
  if (place.col < (o.first_col < 0 ? table.FixedCols() : o.first_col) ||
      place.col >= table.ColCount() ||
      place.row < (o.first_row < 0 ? table.FixedRows() : o.first_row) ||
      place.row >= table.RowCount())
    return 0;
  Matcher matcher(record.needle, record.options, table.Encoding());
  return matcher.Empty() ? 0 : ReplaceWith(matcher, table, place, record);
}

Replacement ReplaceAll(ResultTable& table, std::string_view needle, std::string_view replacement,
                       const FindOptions& options, platform::Progress* progress) {
  Replacement record{std::string(needle), std::string(replacement), options, {}, 0};
  Matcher matcher(needle, options, table.Encoding());
  if (matcher.Empty())
    return record;
  BulkChange bulk(table);
  // Replacing changes cells only: the area and the shared texts stay.
  Scanner scan(table, matcher, options, progress);
  std::int32_t row = scan.FirstRow();
  while (row < scan.EndRow()) {
    const std::optional<std::int32_t> hit = scan.FirstRowWith(row, scan.EndRow());
    if (!hit)
      break;
    std::vector<std::int32_t> cols;
    ForEachCellOfRow(table, table.StoredRow(*hit), scan.HiCol(),
                     [&](std::int32_t col, std::string_view text) {
                       if (col >= scan.LoCol() && matcher.Matches(text))
                         cols.push_back(col);
                     });
    for (const std::int32_t col : cols)
      ReplaceWith(matcher, table, {col, *hit}, record);
    row = *hit + 1;
  }
  return record;
}

void RestoreReplaced(ResultTable& table, const Replacement& record) {
  BulkChange bulk(table);
  for (auto cell = record.cells.rbegin(); cell != record.cells.rend(); ++cell)
    table.SetCell(cell->place.col, cell->place.row, cell->old_text);
}

void ReplaceAgain(ResultTable& table, const Replacement& record) {
  Matcher matcher(record.needle, record.options, table.Encoding());
  BulkChange bulk(table);
  for (const auto& cell : record.cells) {
    std::int64_t count = 0;
    table.SetCell(cell.place.col, cell.place.row,
                  matcher.Replaced(cell.old_text, record.replacement, count));
  }
}

} // namespace merge
