#pragma once
// Texts and names as init.ini holds them. Text that Windows-1251 can hold is
// stored in it, byte for byte as always; text it cannot hold (an "é", a "日")
// is stored as UTF-8, which reads back exactly because valid UTF-8 with
// bytes above 127 is practically never Windows-1251 text. File names whose
// bytes are no UTF-8 at all are stored as those bytes.

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// Whether the bytes are valid UTF-8 (shortest forms, no surrogates) with at
// least one byte above 127.
bool IsNonAsciiUtf8(std::string_view bytes);

// A widget's text as init.ini stores it, and back.
std::string TextToIni(std::u16string_view text);
std::u16string IniToText(std::string_view bytes);

// A file or directory name (the file system's bytes) as init.ini stores it.
std::string FileNameToIni(std::string_view name);
// The names a stored value may mean, the likeliest first: the name the
// text reads as (UTF-8 names on this system), then the value's own bytes
// when they differ (a name that is no UTF-8, stored raw).
std::vector<std::string> IniToFileNames(std::string_view value);
// A stored directory as it is entered: the first of the names the value may
// mean that is a directory, else the likeliest one.
std::string IniToDirectory(std::string_view value);

} // namespace settings
