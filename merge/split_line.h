#pragma once
// Cuts a line into fields at the reading delimiter. No quoting, no trimming:
// every byte between two delimiters belongs to its field.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace merge {

// The reading delimiter from the text of Edit2: its first byte, none when
// the text is empty.
std::optional<char> ReadingDelimiter(std::string_view edit2_text);

// Fills `fields` (cleared first) with views into `line`:
// - an empty line gives no field;
// - a delimiter closes the current field; a delimiter that is the line's last
//   byte is not followed by an empty field ("a,b," gives a, b);
// - without a delimiter (empty Edit2) a non-empty line is one field.
void SplitLine(std::string_view line, std::optional<char> delimiter,
               std::vector<std::string_view>& fields);

// The same at a delimiter of several bytes (a UTF-8 character): each place
// where its bytes occur closes a field.
void SplitLineAt(std::string_view line, std::string_view delimiter,
                 std::vector<std::string_view>& fields);

// The same, returning a fresh list.
std::vector<std::string_view> SplitLine(std::string_view line, std::optional<char> delimiter);

} // namespace merge
