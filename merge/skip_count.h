#pragma once
// The skip count: how many leading lines of each file a collect drops.

#include <cstdint>
#include <string>

namespace merge {

// The text of Edit3 as a skip count; never fails.
std::int32_t ParseSkipCount(const std::string& text);

} // namespace merge
