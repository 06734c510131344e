#pragma once
// The plain model the tidying tools are checked against: every stored cell
// by (column, row), beyond the extents too, and random tables to fill both
// with (some cells interned, a low compaction threshold, so that rows are
// compact, chained and moved by compactions).

#include "merge/result_table.h"

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace tidy_test {

struct Model {
  std::int32_t cols = 2, rows = 2;
  std::map<std::pair<std::int32_t, std::int32_t>, std::string> cells; // (row, col)

  std::string At(std::int32_t col, std::int32_t row) const {
    const auto found = cells.find({row, col});
    return found == cells.end() ? std::string() : found->second;
  }
  // Row r's cells as they stand, every column.
  std::map<std::int32_t, std::string> Row(std::int32_t r) const {
    std::map<std::int32_t, std::string> out;
    for (auto it = cells.lower_bound({r, 0}); it != cells.end() && it->first.first == r; ++it)
      out[it->first.second] = it->second;
    return out;
  }
  void PutRow(std::int32_t r, const std::map<std::int32_t, std::string>& row) {
    for (const auto& [col, text] : row)
      cells[{r, col}] = text;
  }
  void DropRow(std::int32_t r) {
    cells.erase(cells.lower_bound({r, 0}), cells.lower_bound({r + 1, 0}));
  }
};

// Every cell the table holds within the model's reach (and a margin), with
// the extents.
inline Model Read(const merge::ResultTable& table, std::int32_t max_col, std::int32_t max_row) {
  Model m;
  m.cols = table.ColCount();
  m.rows = table.RowCount();
  for (std::int32_t r = 0; r <= max_row; ++r)
    for (std::int32_t c = 0; c <= max_col; ++c)
      if (auto t = table.GetCell(c, r); !t.empty())
        m.cells[{r, c}] = std::string(t);
  return m;
}

inline bool operator==(const Model& a, const Model& b) {
  return a.cols == b.cols && a.rows == b.rows && a.cells == b.cells;
}

// A random table of up to `max_rows` rows; texts drawn from `words`, which
// repeat often so that equal cells and rows occur.
inline Model Random(std::mt19937& rnd, merge::ResultTable& table,
                    const std::vector<std::string>& words, std::int32_t max_rows = 40) {
  table.SetCompactionThreshold(256);
  Model m;
  m.rows = 1 + static_cast<std::int32_t>(rnd() % static_cast<unsigned>(max_rows));
  m.cols = 1 + static_cast<std::int32_t>(rnd() % 5);
  table.SetRowCount(m.rows);
  table.SetColCount(m.cols);
  const merge::SharedTextId shared = table.InternText("shared.csv");
  const int fill = static_cast<int>(rnd() % 4);
  // Rows below RowCount and columns beyond ColCount hold cells too.
  for (std::int32_t r = 0; r < m.rows + 2; ++r) {
    if (rnd() % 5 == 0) { // a row placed at once, the last cell interned
      std::vector<std::string> texts;
      for (std::int32_t c = 0; c < m.cols; ++c)
        texts.push_back(words[rnd() % words.size()]);
      std::vector<std::string_view> views(texts.begin(), texts.end());
      table.PlaceCells(r, 0, views.data(), views.size(), &shared);
      for (std::int32_t c = 0; c < m.cols; ++c)
        if (!texts[static_cast<std::size_t>(c)].empty())
          m.cells[{r, c}] = texts[static_cast<std::size_t>(c)];
      m.cells[{r, m.cols}] = "shared.csv";
      continue;
    }
    for (std::int32_t c = 0; c < m.cols + 2; ++c) {
      if (static_cast<int>(rnd() % 4) < fill)
        continue;
      const std::string& t = words[rnd() % words.size()];
      table.SetCell(c, r, t);
      if (t.empty())
        m.cells.erase({r, c});
      else
        m.cells[{r, c}] = t;
    }
  }
  return m;
}

} // namespace tidy_test
