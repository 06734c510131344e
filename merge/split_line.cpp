#include "merge/split_line.h"

#include <cstring>

namespace merge {

std::optional<char> ReadingDelimiter(std::string_view edit2_text) {
  if (edit2_text.empty())
    return std::nullopt;
  return edit2_text.front();
}

void SplitLine(std::string_view line, std::optional<char> delimiter,
               std::vector<std::string_view>& fields) {
  fields.clear();
  if (line.empty())
    return;
  if (!delimiter) {
    fields.push_back(line);
    return;
  }
  const char d = *delimiter;
  const char* p = line.data();
  const char* const end = p + line.size();
  for (;;) {
    const char* hit =
        static_cast<const char*>(std::memchr(p, d, static_cast<std::size_t>(end - p)));
    if (hit == nullptr) {
      fields.emplace_back(p, static_cast<std::size_t>(end - p));
      return;
    }
    fields.emplace_back(p, static_cast<std::size_t>(hit - p));
    p = hit + 1;
    if (p == end)
      return; // a delimiter as the last byte starts no further field
  }
}

std::vector<std::string_view> SplitLine(std::string_view line, std::optional<char> delimiter) {
  std::vector<std::string_view> fields;
  SplitLine(line, delimiter, fields);
  return fields;
}

} // namespace merge
