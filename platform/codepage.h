#pragma once
// Windows-1251, the code page of every text the program holds. Cells are
// bytes and stay bytes; conversion happens only at the edges (the grid,
// widget texts in init.ini, file names turned into cells, UTF-8 output).

#include <string>
#include <string_view>

namespace platform {

char16_t Cp1251ToUnicode(unsigned char byte);
// The byte of a character, or -1 when the code page has none.
int UnicodeToCp1251(char32_t c);

std::u16string Cp1251ToUtf16(std::string_view bytes);
// A character without a byte in the code page becomes "?".
std::string Utf16ToCp1251(std::u16string_view text);
// The code point at text[i]: a surrogate pair is joined and i left on its
// second half; a lone surrogate comes back as it is.
char32_t CodePointAt(std::u16string_view text, std::size_t& i);

// Appends one code point's UTF-8 bytes.
void AppendUtf8(std::string& out, char32_t c);
std::string Cp1251ToUtf8(std::string_view bytes);
void AppendCp1251AsUtf8(std::string& out, std::string_view bytes);

// A file name as the file system gives it (UTF-8) turned into cell text.
// Bytes that do not form UTF-8 (overlong forms and encoded surrogates
// included) are taken as code page bytes already (a name copied from a
// Windows disk unconverted), so no byte is lost.
std::string FileNameToCp1251(std::string_view name);

} // namespace platform
