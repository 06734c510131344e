#pragma once
// Sorting the table's rows by one column: numbers by their value
// (cell_number.h), then texts in the order of a key the caller gives (the
// window's: the user's locale), empty cells last; rows with equal cells keep
// their order. The rows are put in their new order as they are (their slots
// move, no cell is copied), and the order is kept for the undo: four bytes a
// row.

#include "merge/result_table.h"
#include "merge/text_encoding.h"
#include "platform/progress.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace merge {

struct SortOptions {
  std::int32_t column = 0;
  bool descending = false;
  // "Первая строка — заголовок": row 0 is the header and stays on top.
  bool keep_header = false;
};

// Turns a cell's text into bytes whose byte order is the order wanted for
// texts. A key holds no zero byte. Called on the thread the sort runs on.
using TextSortKey = std::function<void(std::string_view text, std::string& key)>;
// The texts' own bytes as the key (escaped so that no zero byte is left).
void ByteOrderKey(std::string_view text, std::string& key);
// The user's locale order (platform/collation_key.h) of the table's texts.
TextSortKey LocaleTextKey(TextEncoding encoding);

// How a sort reordered rows First() .. First() + Count() - 1: row
// First() + i holds the row that stood at First() + At(i).
class RowOrder {
public:
  RowOrder() = default;
  RowOrder(std::int32_t first, std::size_t count, std::uint32_t* order)
      : first_(first), count_(count), order_(order) {}

  std::int32_t First() const { return first_; }
  std::size_t Count() const { return count_; }
  std::uint32_t At(std::size_t i) const { return order_.get()[i]; }
  const std::uint32_t* Data() const { return order_.get(); }
  bool Empty() const { return count_ == 0; }

  // Puts the rows in this order, and back (undo and redo).
  void Apply(ResultTable& table) const;
  void Restore(ResultTable& table) const;

private:
  struct Free {
    void operator()(std::uint32_t* p) const { std::free(p); }
  };
  std::int32_t first_ = 0;
  std::size_t count_ = 0;
  std::unique_ptr<std::uint32_t, Free> order_;
};

// Works out the sorted order of the rows below the header (all rows without
// one) up to RowCount. It only reads the table, and not through its read
// cursor, so it may run on another thread while the table is not changed.
// Tells its progress as parts (rows keyed) and throws platform::Cancelled
// when asked to stop; the table is then as it was.
RowOrder SortedRowOrder(const ResultTable& table, const SortOptions& options,
                        const TextSortKey& text_key, platform::Progress* progress);

// SortedRowOrder, then applied; returns it for the undo.
RowOrder SortRows(ResultTable& table, const SortOptions& options, const TextSortKey& text_key,
                  platform::Progress* progress = nullptr);

} // namespace merge
