// Sorting by one column in little memory: every row gets one 64-bit word,
// the first 32 bits of its key above its index, and the words are sorted as
// numbers; rows whose words tie are sorted again by the next 32 bits of
// their keys, and so on, until the keys end. So the keys are never held
// whole (eight bytes a row in all), and the words end up as the order.

#include "merge/table_sort.h"

#include "merge/cell_number.h"
#include "merge/stored_row_cells.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace merge {

namespace {

// Where a cell sorts before its key is looked at.
enum Group : std::uint64_t { kFirstGroup = 0, kSecondGroup = 1, kEmptyGroup = 2 };

// Runs this short are finished with whole keys side by side.
constexpr std::size_t kShortRun = 16;
constexpr std::size_t kTellEvery = 1 << 16;

// A double's bits turned so that their unsigned order is the numbers' order.
std::uint64_t OrderedBits(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits >> 63 ? ~bits : bits | (std::uint64_t{1} << 63);
}

class Sorter {
public:
  Sorter(const ResultTable& table, const SortOptions& options, const TextSortKey& text_key,
         platform::Progress* progress)
      : table_(table), options_(options), text_key_(text_key), progress_(progress) {}

  RowOrder Run();

private:
  std::string_view CellAt(std::size_t index) const {
    return CellOfRow(table_, table_.StoredRow(first_ + static_cast<std::int32_t>(index)),
                     options_.column);
  }
  // The key of a cell in `key_`: a number's ordered bits (big end first) or
  // the text's key; the cell's group.
  Group KeyOf(std::string_view text) {
    key_.clear();
    if (text.empty())
      return kEmptyGroup;
    if (const auto number = CellNumber(text)) {
      const std::uint64_t bits = OrderedBits(*number);
      for (int b = 7; b >= 0; --b)
        key_.push_back(static_cast<char>(bits >> (8 * b)));
      return options_.descending ? kSecondGroup : kFirstGroup;
    }
    text_key_(text, key_);
    return options_.descending ? kFirstGroup : kSecondGroup;
  }
  // `width` bits of the key from bit `offset` on, the key padded with zeros;
  // inverted for a descending sort.
  std::uint32_t Chunk(std::size_t offset, int width) const {
    std::uint64_t window = 0;
    const std::size_t byte = offset / 8;
    for (std::size_t b = 0; b < 8; ++b) {
      const std::size_t at = byte + b;
      const unsigned char c = at < key_.size() ? static_cast<unsigned char>(key_[at]) : 0;
      window = window << 8 | c;
    }
    window <<= offset % 8;
    auto chunk = static_cast<std::uint32_t>(window >> (64 - width));
    if (options_.descending)
      chunk = ~chunk & static_cast<std::uint32_t>((std::uint64_t{1} << width) - 1);
    return chunk;
  }
  static std::size_t LevelOffset(int level) {
    return level == 0 ? 0 : 30 + 32 * static_cast<std::size_t>(level - 1);
  }
  static std::uint32_t IndexOf(std::uint64_t word) { return static_cast<std::uint32_t>(word); }
  static std::uint32_t HighOf(std::uint64_t word) { return static_cast<std::uint32_t>(word >> 32); }

  void FirstLevel();
  void Refine(std::size_t begin, std::size_t end, int level);
  bool AllCellsEqual(std::size_t begin, std::size_t end) const;
  void FinishShortRun(std::size_t begin, std::size_t end);
  void Tell(std::size_t done);

  const ResultTable& table_;
  const SortOptions& options_;
  const TextSortKey& text_key_;
  platform::Progress* progress_;
  std::int32_t first_ = 0;
  std::size_t count_ = 0;
  std::uint64_t* words_ = nullptr;
  std::string key_;
  // Runs still to sort further: begin, end, level.
  struct Pending {
    std::size_t begin, end;
    int level;
  };
  std::vector<Pending> runs_;
};

void Sorter::Tell(std::size_t done) {
  if (!progress_)
    return;
  progress_->PartsDone(static_cast<std::int64_t>(done), static_cast<std::int64_t>(count_));
  if (progress_->CancelRequested())
    throw platform::Cancelled();
}

void Sorter::FirstLevel() {
  for (std::size_t i = 0; i < count_; ++i) {
    if (i % kTellEvery == 0)
      Tell(i);
    const Group group = KeyOf(CellAt(i));
    const std::uint64_t high =
        std::uint64_t{group} << 30 | (group == kEmptyGroup ? 0 : Chunk(0, 30));
    words_[i] = high << 32 | i;
  }
  Tell(count_);
  std::sort(words_, words_ + count_);
}

bool Sorter::AllCellsEqual(std::size_t begin, std::size_t end) const {
  const std::string first(CellAt(IndexOf(words_[begin])));
  for (std::size_t i = begin + 1; i < end; ++i)
    if (CellAt(IndexOf(words_[i])) != first)
      return false;
  return true;
}

void Sorter::FinishShortRun(std::size_t begin, std::size_t end) {
  struct Keyed {
    std::string key;
    std::uint32_t index;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(end - begin);
  for (std::size_t i = begin; i < end; ++i) {
    KeyOf(CellAt(IndexOf(words_[i])));
    keyed.push_back({key_, IndexOf(words_[i])});
  }
  const bool descending = options_.descending;
  std::sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
    const int c = a.key.compare(b.key);
    if (c != 0)
      return descending ? c > 0 : c < 0;
    return a.index < b.index;
  });
  for (std::size_t i = begin; i < end; ++i)
    words_[i] = keyed[i - begin].index;
}

// Sorts the run by the key's bits at `level`, then each tie further.
void Sorter::Refine(std::size_t begin, std::size_t end, int level) {
  const std::size_t offset = LevelOffset(level);
  std::size_t longest = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if ((i - begin) % kTellEvery == kTellEvery - 1 && progress_ && progress_->CancelRequested())
      throw platform::Cancelled();
    const std::uint32_t index = IndexOf(words_[i]);
    KeyOf(CellAt(index));
    longest = std::max(longest, key_.size());
    words_[i] = std::uint64_t{Chunk(offset, 32)} << 32 | index;
  }
  std::sort(words_ + begin, words_ + end);
  if (longest * 8 <= offset + 32)
    return; // every key has ended: the ties are equal cells, by index already
  for (std::size_t i = begin; i < end;) {
    std::size_t j = i + 1;
    while (j < end && HighOf(words_[j]) == HighOf(words_[i]))
      ++j;
    if (j - i > 1)
      runs_.push_back({i, j, level + 1});
    i = j;
  }
}

RowOrder Sorter::Run() {
  first_ = options_.keep_header ? 1 : 0;
  count_ = table_.RowCount() > first_ ? static_cast<std::size_t>(table_.RowCount() - first_) : 0;
  words_ = static_cast<std::uint64_t*>(std::malloc(std::max<std::size_t>(count_, 1) * 8));
  if (!words_)
    throw std::bad_alloc();
  try {
    FirstLevel();
    // Ties of the first 30 bits (empty cells tie for good: they stay in order).
    for (std::size_t i = 0; i < count_;) {
      std::size_t j = i + 1;
      while (j < count_ && HighOf(words_[j]) == HighOf(words_[i]))
        ++j;
      if (j - i > 1 && HighOf(words_[i]) >> 30 != kEmptyGroup)
        runs_.push_back({i, j, 1});
      i = j;
    }
    while (!runs_.empty()) {
      const Pending run = runs_.back();
      runs_.pop_back();
      if (run.end - run.begin <= kShortRun)
        FinishShortRun(run.begin, run.end);
      else if (run.level == 1 && AllCellsEqual(run.begin, run.end))
        for (std::size_t i = run.begin; i < run.end; ++i)
          words_[i] = IndexOf(words_[i]);
      else
        Refine(run.begin, run.end, run.level);
    }
  } catch (...) {
    std::free(words_);
    throw;
  }
  // The indexes moved to the front half, in place, and the rest given back.
  auto* order = reinterpret_cast<std::uint32_t*>(words_);
  for (std::size_t i = 0; i < count_; ++i) {
    const std::uint32_t index = IndexOf(words_[i]);
    std::memcpy(order + i, &index, sizeof index);
  }
  if (void* smaller = std::realloc(words_, std::max<std::size_t>(count_, 1) * 4))
    order = static_cast<std::uint32_t*>(smaller);
  return RowOrder(first_, count_, order);
}

} // namespace

void ByteOrderKey(std::string_view text, std::string& key) {
  for (const char c : text) {
    if (c == '\0' || c == '\1') {
      key.push_back('\1');
      key.push_back(static_cast<char>(c + 1));
    } else {
      key.push_back(c);
    }
  }
}

void RowOrder::Apply(ResultTable& table) const {
  table.PermuteRows(first_, order_.get(), count_, false);
}

void RowOrder::Restore(ResultTable& table) const {
  table.PermuteRows(first_, order_.get(), count_, true);
}

RowOrder SortedRowOrder(const ResultTable& table, const SortOptions& options,
                        const TextSortKey& text_key, platform::Progress* progress) {
  return Sorter(table, options, text_key, progress).Run();
}

RowOrder SortRows(ResultTable& table, const SortOptions& options, const TextSortKey& text_key,
                  platform::Progress* progress) {
  RowOrder order = SortedRowOrder(table, options, text_key, progress);
  order.Apply(table);
  return order;
}

} // namespace merge
