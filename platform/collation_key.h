#pragma once
// The user's order of texts, as bytes: a key whose plain byte order is the
// order the system's locale gives the texts (as `sort` in that locale sorts
// them), so that a sort can compare keys a piece at a time. A key holds no
// zero byte. Safe to call from any thread.

#include <string>
#include <string_view>

namespace platform {

// Appends the key of a UTF-8 text.
void AppendCollationKey(std::string_view utf8, std::string& key);

} // namespace platform
