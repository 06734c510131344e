#pragma once
// Columns matched by header names: the union of the header names of all
// files, in the order they are first seen, and where each file's fields go.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace merge {

// The text without its leading and trailing spaces.
std::string_view TrimSpaces(std::string_view text);

class HeaderUnion {
public:
  // Takes one file's header fields in; returns the union column of each.
  // Names are compared after trimming spaces; a name that appears k times in
  // one file is matched by its occurrence, so it takes k columns.
  std::vector<std::int32_t> Add(const std::vector<std::string_view>& names);

  // The header row: each column's name as first seen, untrimmed.
  const std::vector<std::string>& Names() const { return names_; }
  std::int32_t Size() const { return static_cast<std::int32_t>(names_.size()); }

private:
  std::vector<std::string> names_;
  // (trimmed name, occurrence counted from 0) -> column
  std::map<std::pair<std::string, int>, std::int32_t> columns_;
};

// Whether a file's columns are those of the union, in the union's order.
bool IsIdentity(const std::vector<std::int32_t>& columns, std::int32_t union_size);

} // namespace merge
