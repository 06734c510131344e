#pragma once
// A line cut at every ';' into views of it, as the reader hands a line's
// fields to the table: each field one separator byte after the one before.

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

inline std::vector<std::string_view> LineFields(const std::string& line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= line.size(); ++i)
    if (i == line.size() || line[i] == ';') {
      fields.emplace_back(line.data() + start, i - start);
      start = i + 1;
    }
  return fields;
}

} // namespace testing_support
