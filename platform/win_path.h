#pragma once
// Windows only: the program's file names are UTF-8 text; the system takes
// UTF-16. Every name crosses over here, never through the ANSI code page.

#include <string>

namespace platform::win {

// UTF-8 to UTF-16 and back; bytes that are no UTF-8 become U+FFFD.
std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

// The name as the system's file functions take it: UTF-16, "/" turned into
// "\", and a full name longer than the old 260-character limit given the
// "\\?\" prefix that lifts it.
std::wstring SystemPath(const std::string& path);

// The error of the last failed system call (GetLastError).
int LastError();

} // namespace platform::win
