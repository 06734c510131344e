// Collecting files stacked into the table, against plain models of the
// placement rules: without a header, with one, with columns matched by
// header names.
//
// Input: byte 0 picks the options (bit 0 a header row, bit 1 columns matched
// by header names, bit 2 the file-name cell, bit 3 its bare form), byte 1
// the files' names (two bits each, up to three files; ".csv" has an empty
// bare name); every later byte is one of "a", "b", ",", " ", LF or the start
// of the next file. Checked on every input: every stored cell, and both
// extents, are those of the model.

#include "fuzz_check.h"
#include "merge/collect.h"
#include "merge/header_union.h"
#include "merge/result_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using Fields = std::vector<std::string>;
using Cells = std::map<std::pair<int, int>, std::string>; // (column, row) -> text

const char* const kNames[] = {".csv", "x.csv", "y.csv", "z.csv"};
const std::string kCaption = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0"; // "Имя файла"

struct Source {
  std::string path;
  std::string tag; // the name cell's text
  std::string bytes;
};

// LF ends a line; a final LF starts no further line; no data is one empty line.
std::vector<Fields> ModelRecords(const std::string& bytes) {
  std::vector<std::string> lines{""};
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\n')
      lines.back().push_back(bytes[i]);
    else if (i + 1 < bytes.size())
      lines.emplace_back();
  }
  std::vector<Fields> records;
  for (const std::string& line : lines) {
    Fields fields;
    std::string field;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (line[i] == ',') {
        fields.push_back(field);
        field.clear();
      } else {
        field.push_back(line[i]);
        if (i + 1 == line.size())
          fields.push_back(field);
      }
    }
    records.push_back(fields);
  }
  return records;
}

struct Model {
  Cells cells;
  int col_count = 2;
  int row_count = 2;

  void Set(int col, int row, const std::string& text) {
    if (text.empty())
      cells.erase({col, row});
    else
      cells[{col, row}] = text;
  }
};

// Every file one below the other from the RowCount the previous one left;
// each field at a column c at or past ColCount raises it to c + 2, a name
// cell there to c + 1.
Model Plain(const std::vector<Source>& sources, bool names) {
  Model m;
  int start = 0;
  for (const Source& source : sources) {
    int row = start - 1;
    for (const Fields& fields : ModelRecords(source.bytes)) {
      ++row;
      m.row_count = std::max(m.row_count, row + 1);
      int col = 0;
      for (const std::string& field : fields) {
        m.Set(col, row, field);
        if (col >= m.col_count)
          m.col_count = col + 2;
        ++col;
      }
      if (names) {
        m.Set(col, row, source.tag);
        m.col_count = std::max(m.col_count, col + 1);
      }
    }
    start = m.row_count;
  }
  return m;
}

// With a header the rows follow each other and the extents are what they
// use. The first file's header that has fields is placed (its name cell the
// caption), every other file's first record is dropped.
Model WithHeader(const std::vector<Source>& sources, bool names) {
  Model m;
  int row = 0;
  int cols = 0;
  bool header_placed = false;
  for (const Source& source : sources) {
    bool first = true;
    for (const Fields& fields : ModelRecords(source.bytes)) {
      const bool is_header = first;
      first = false;
      if (is_header && (header_placed || fields.empty()))
        continue;
      header_placed = header_placed || is_header;
      for (std::size_t col = 0; col < fields.size(); ++col)
        m.Set(static_cast<int>(col), row, fields[col]);
      const int width = static_cast<int>(fields.size()) + (names ? 1 : 0);
      if (names)
        m.Set(width - 1, row, is_header ? kCaption : source.tag);
      cols = std::max(cols, width);
      ++row;
    }
  }
  m.col_count = std::max(1, cols);
  m.row_count = std::max(1, row);
  return m;
}

std::string Trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// Matched by names: the union of the header names (trimmed, a repeated name
// by its occurrence) in the order first seen, each field under its name,
// fields beyond a header after the union, the name cells after all of them.
// The union is the first row, whatever the first file's header.
Model ByNames(const std::vector<Source>& sources, bool names) {
  std::vector<std::string> union_names;
  std::map<std::pair<std::string, int>, int> column_of;
  std::vector<std::vector<Fields>> records;
  std::vector<std::vector<int>> columns;
  for (const Source& source : sources) {
    records.push_back(ModelRecords(source.bytes));
    std::map<std::string, int> seen;
    columns.emplace_back();
    for (const std::string& name : records.back().front()) {
      const std::pair<std::string, int> key{Trimmed(name), seen[Trimmed(name)]++};
      if (!column_of.count(key)) {
        column_of[key] = static_cast<int>(union_names.size());
        union_names.push_back(name);
      }
      columns.back().push_back(column_of[key]);
    }
  }
  const int width = static_cast<int>(union_names.size());
  int extra = 0;
  for (std::size_t f = 0; f < records.size(); ++f)
    for (std::size_t r = 1; r < records[f].size(); ++r)
      extra = std::max(extra, static_cast<int>(records[f][r].size()) -
                                  static_cast<int>(columns[f].size()));
  Model m;
  for (int col = 0; col < width; ++col)
    m.Set(col, 0, union_names[static_cast<std::size_t>(col)]);
  if (names)
    m.Set(width + extra, 0, kCaption);
  int row = 1;
  for (std::size_t f = 0; f < records.size(); ++f) {
    for (std::size_t r = 1; r < records[f].size(); ++r, ++row) {
      const Fields& fields = records[f][r];
      for (std::size_t j = 0; j < fields.size(); ++j)
        m.Set(j < columns[f].size() ? columns[f][j]
                                    : width + static_cast<int>(j - columns[f].size()),
              row, fields[j]);
      if (names)
        m.Set(width + extra, row, sources[f].tag);
    }
  }
  m.col_count = std::max(1, width + extra + (names ? 1 : 0));
  m.row_count = row;
  return m;
}

class Sources : public merge::CandidateList {
public:
  explicit Sources(const std::vector<Source>& sources) : sources_(sources) {}
  int Count() const override { return static_cast<int>(sources_.size()); }
  bool IsTicked(int) const override { return true; }
  void Select(int index) override { selected_ = index; }
  std::string SelectedFullPath() const override {
    return sources_[static_cast<std::size_t>(selected_)].path;
  }

private:
  const std::vector<Source>& sources_;
  int selected_ = 0;
};

const std::string& Directory() {
  static const std::string dir = [] {
    char name[] = "/tmp/fuzz_collect_XXXXXX";
    FUZZ_CHECK(::mkdtemp(name) != nullptr);
    return std::string(name);
  }();
  return dir;
}

void WriteFile(const Source& source) {
  std::FILE* f = std::fopen(source.path.c_str(), "wb");
  FUZZ_CHECK(f != nullptr);
  FUZZ_CHECK(std::fwrite(source.bytes.data(), 1, source.bytes.size(), f) == source.bytes.size());
  FUZZ_CHECK(std::fclose(f) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.header = (data[0] & 1) != 0;
  options.match_headers = options.header && (data[0] & 2) != 0;
  options.add_file_name = (data[0] & 4) != 0;
  options.name_only = (data[0] & 8) != 0;

  std::vector<Source> sources(1);
  for (std::size_t i = 2; i < size; ++i) {
    const char c = "ab, \n\0"[data[i] % 6];
    if (c != '\0')
      sources.back().bytes.push_back(c);
    else if (sources.size() < 3)
      sources.emplace_back();
  }
  std::vector<bool> used(4);
  for (std::size_t i = 0; i < sources.size(); ++i) {
    const int pick = data[1] >> (2 * i) & 3;
    if (used[static_cast<std::size_t>(pick)])
      return 0; // one file per name
    used[static_cast<std::size_t>(pick)] = true;
    Source& s = sources[i];
    s.path = Directory() + "/" + kNames[pick];
    const std::string bare = kNames[pick];
    s.tag = options.name_only ? bare.substr(0, bare.find('.')) : s.path;
    WriteFile(s);
  }

  merge::ResultTable table;
  Sources list(sources);
  merge::CollectFiles(table, list, options, nullptr);
  for (const Source& s : sources)
    std::remove(s.path.c_str());
  const Model model = !options.header         ? Plain(sources, options.add_file_name)
                      : options.match_headers ? ByNames(sources, options.add_file_name)
                                              : WithHeader(sources, options.add_file_name);
  FUZZ_CHECK(table.ColCount() == model.col_count);
  FUZZ_CHECK(table.RowCount() == model.row_count);
  int last_col = model.col_count;
  for (const auto& [at, text] : model.cells)
    last_col = std::max(last_col, at.first + 1);
  for (int row = 0; row < model.row_count; ++row) {
    for (int col = 0; col <= last_col; ++col) {
      const auto it = model.cells.find({col, row});
      FUZZ_CHECK(table.GetCell(col, row) == (it == model.cells.end() ? "" : it->second));
    }
  }
  return 0;
}
