#include "platform/win_path.h"

#include <windows.h>

namespace platform::win {

namespace {

// Below this a name needs no prefix; the limit counts the terminating null,
// and a directory name must leave room for an 8.3 file name.
constexpr std::size_t kShortPathLimit = 248;

} // namespace

std::wstring Widen(const std::string& text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), n, nullptr, nullptr);
  return narrow;
}

std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Widen(path);
  for (wchar_t& c : wide)
    if (c == L'/')
      c = L'\\';
  if (wide.size() < kShortPathLimit || wide.rfind(L"\\\\?\\", 0) == 0)
    return wide;
  const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0)
    return wide;
  std::wstring full(n, L'\0');
  const DWORD got = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n)
    return wide;
  full.resize(got);
  if (full.rfind(L"\\\\", 0) == 0) // a share: \\server\share\... -> \\?\UNC\server\share\...
    return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

int LastError() {
  return static_cast<int>(::GetLastError());
}

} // namespace platform::win
