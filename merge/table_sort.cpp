// Sorting by one column in little memory: every row gets one 64-bit word,
// the first bits of its key above its index (as many key bits as the index
// leaves: 40 for 16 million rows), and the words are sorted as numbers;
// rows whose words tie are sorted again by the next bits of their keys, and
// so on, until the keys end. So the keys are never held whole (eight bytes
// a row in all), and the words end up as the order.

#include "merge/table_sort.h"

#include "merge/cell_number.h"
#include "merge/stored_row_cells.h"
#include "platform/codepage.h"
#include "platform/collation_key.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace merge {

namespace {

// Where a cell sorts before its key is looked at.
enum Group : std::uint64_t { kFirstGroup = 0, kSecondGroup = 1, kEmptyGroup = 2 };

// Runs this short are finished with whole keys side by side, and so are
// runs whose keys still tie after this many levels (a few hundred bytes),
// so that the depth of the walk stays small.
constexpr std::size_t kShortRun = 16;
constexpr int kDeepestLevel = 48;
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
  unsigned char KeyByte(std::size_t at) const {
    return at < key_.size() ? static_cast<unsigned char>(key_[at]) : 0;
  }
  // `width` (at most 63) bits of the key from bit `offset` on, the key
  // padded with zeros; inverted for a descending sort.
  std::uint64_t Chunk(std::size_t offset, int width) const {
    const std::size_t byte = offset / 8;
    const unsigned shift = offset % 8;
    std::uint64_t window = 0;
    for (std::size_t b = 0; b < 8; ++b)
      window = window << 8 | KeyByte(byte + b);
    if (shift > 0)
      window = window << shift | KeyByte(byte + 8) >> (8 - shift);
    std::uint64_t chunk = window >> (64 - width);
    if (options_.descending)
      chunk = ~chunk & ((std::uint64_t{1} << width) - 1);
    return chunk;
  }
  // The key's bits at each level: the first level holds the group in two
  // bits beside the key's first bits.
  std::size_t LevelOffset(int level) const {
    return level == 0
               ? 0
               : static_cast<std::size_t>(key_bits_ - 2) +
                     static_cast<std::size_t>(key_bits_) * static_cast<std::size_t>(level - 1);
  }
  std::size_t IndexOf(std::uint64_t word) const {
    return static_cast<std::size_t>(word & index_mask_);
  }
  std::uint64_t HighOf(std::uint64_t word) const { return word >> index_bits_; }

  void FirstLevel();
  void Process(std::size_t begin, std::size_t end, int level);
  void Refine(std::size_t begin, std::size_t end, int level);
  bool AllCellsEqual(std::size_t begin, std::size_t end) const;
  void FinishShortRun(std::size_t begin, std::size_t end);
  void Tell(std::size_t done);
  void CheckCancel(std::size_t step) {
    if (step % kTellEvery == kTellEvery - 1 && progress_ && progress_->CancelRequested())
      throw platform::Cancelled();
  }

  const ResultTable& table_;
  const SortOptions& options_;
  const TextSortKey& text_key_;
  platform::Progress* progress_;
  std::int32_t first_ = 0;
  std::size_t count_ = 0;
  // A word: the key's bits at the level, then the row's index below them.
  int index_bits_ = 1;
  int key_bits_ = 63;
  std::uint64_t index_mask_ = 1;
  std::uint64_t* words_ = nullptr;
  std::string key_;
  struct Keyed {
    std::string key;
    std::size_t index;
  };
  std::vector<Keyed> keyed_;
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
    const std::uint64_t high = std::uint64_t{group} << (key_bits_ - 2) |
                               (group == kEmptyGroup ? 0 : Chunk(0, key_bits_ - 2));
    words_[i] = high << index_bits_ | i;
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
  keyed_.resize(end - begin);
  for (std::size_t i = begin; i < end; ++i) {
    KeyOf(CellAt(IndexOf(words_[i])));
    keyed_[i - begin].key.assign(key_);
    keyed_[i - begin].index = IndexOf(words_[i]);
  }
  const bool descending = options_.descending;
  std::sort(keyed_.begin(), keyed_.end(), [descending](const Keyed& a, const Keyed& b) {
    const int c = a.key.compare(b.key);
    if (c != 0)
      return descending ? c > 0 : c < 0;
    return a.index < b.index;
  });
  for (std::size_t i = begin; i < end; ++i)
    words_[i] = keyed_[i - begin].index;
}

// Rows whose words tie so far: equal cells keep their order as they are;
// a few are sorted with their whole keys; more go on to the next bits.
void Sorter::Process(std::size_t begin, std::size_t end, int level) {
  if (level == 1 && AllCellsEqual(begin, end))
    return;
  if (end - begin <= kShortRun || level > kDeepestLevel)
    FinishShortRun(begin, end);
  else
    Refine(begin, end, level);
}

void Sorter::Refine(std::size_t begin, std::size_t end, int level) {
  const std::size_t offset = LevelOffset(level);
  std::size_t longest = 0;
  for (std::size_t i = begin; i < end; ++i) {
    CheckCancel(i - begin);
    const std::size_t index = IndexOf(words_[i]);
    KeyOf(CellAt(index));
    longest = std::max(longest, key_.size());
    words_[i] = Chunk(offset, key_bits_) << index_bits_ | index;
  }
  std::sort(words_ + begin, words_ + end);
  if (longest * 8 <= offset + static_cast<std::size_t>(key_bits_))
    return; // every key has ended: the ties are equal cells, by index already
  for (std::size_t i = begin; i < end;) {
    std::size_t j = i + 1;
    while (j < end && HighOf(words_[j]) == HighOf(words_[i]))
      ++j;
    if (j - i > 1)
      Process(i, j, level + 1);
    i = j;
  }
}

RowOrder Sorter::Run() {
  first_ = options_.keep_header ? 1 : 0;
  count_ = table_.RowCount() > first_ ? static_cast<std::size_t>(table_.RowCount() - first_) : 0;
  while (index_bits_ < 32 && (std::size_t{1} << index_bits_) < count_)
    ++index_bits_;
  key_bits_ = 64 - index_bits_;
  index_mask_ = (std::uint64_t{1} << index_bits_) - 1;
  words_ = static_cast<std::uint64_t*>(std::malloc(std::max<std::size_t>(count_, 1) * 8));
  if (!words_)
    throw std::bad_alloc();
  try {
    FirstLevel();
    // Ties of the first bits (empty cells tie for good: they stay in order).
    const std::uint64_t empty_high = std::uint64_t{kEmptyGroup} << (key_bits_ - 2);
    for (std::size_t i = 0; i < count_;) {
      std::size_t j = i + 1;
      while (j < count_ && HighOf(words_[j]) == HighOf(words_[i]))
        ++j;
      if (j - i > 1 && HighOf(words_[i]) != empty_high)
        Process(i, j, 1);
      i = j;
    }
  } catch (...) {
    std::free(words_);
    throw;
  }
  // The indexes moved to the front half, in place, and the rest given back.
  auto* order = reinterpret_cast<std::uint32_t*>(words_);
  for (std::size_t i = 0; i < count_; ++i) {
    const auto index = static_cast<std::uint32_t>(IndexOf(words_[i]));
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

TextSortKey LocaleTextKey(TextEncoding encoding) {
  if (encoding == TextEncoding::kUtf8)
    return [](std::string_view text, std::string& key) { platform::AppendCollationKey(text, key); };
  return [](std::string_view text, std::string& key) {
    thread_local std::string utf8;
    utf8.clear();
    platform::AppendCp1251AsUtf8(utf8, text);
    platform::AppendCollationKey(utf8, key);
  };
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
