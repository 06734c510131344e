#include "merge/header_union.h"

namespace merge {

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos)
    return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::int32_t> HeaderUnion::Add(const std::vector<std::string_view>& names) {
  std::vector<std::int32_t> columns;
  columns.reserve(names.size());
  std::map<std::string, int> seen; // occurrences so far in this file
  for (const std::string_view name : names) {
    std::string key(TrimSpaces(name));
    const int occurrence = seen[key]++;
    const auto [it, added] =
        columns_.try_emplace(std::make_pair(std::move(key), occurrence), Size());
    if (added)
      names_.emplace_back(name);
    columns.push_back(it->second);
  }
  return columns;
}

bool IsIdentity(const std::vector<std::int32_t>& columns, std::int32_t union_size) {
  if (static_cast<std::int32_t>(columns.size()) != union_size)
    return false;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (columns[i] != static_cast<std::int32_t>(i))
      return false;
  }
  return true;
}

} // namespace merge
