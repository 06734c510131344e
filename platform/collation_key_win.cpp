// Windows' own sort keys of the user's locale (LCMapStringEx, LCMAP_SORTKEY):
// bytes without a zero but the one that ends them.

#include "platform/collation_key.h"

#include <windows.h>

#include <vector>

namespace platform {

void AppendCollationKey(std::string_view utf8, std::string& key) {
  if (utf8.empty())
    return;
  const int length = static_cast<int>(utf8.size());
  const int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  if (wide_length <= 0) {
    key.append(utf8);
    return;
  }
  std::vector<wchar_t> wide(static_cast<std::size_t>(wide_length));
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), wide_length);
  const int bytes = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), wide_length,
                                  nullptr, 0, nullptr, nullptr, 0);
  if (bytes <= 0) {
    key.append(utf8);
    return;
  }
  std::vector<char> sort_key(static_cast<std::size_t>(bytes));
  LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_SORTKEY, wide.data(), wide_length,
                reinterpret_cast<LPWSTR>(sort_key.data()), bytes, nullptr, nullptr, 0);
  for (const char c : sort_key)
    if (c != '\0')
      key.push_back(c);
}

} // namespace platform
