#pragma once
// Letter case folded away for "Учитывать регистр" off: Latin and Cyrillic
// capitals (Windows-1251's and UTF-8's) become small letters. The length in
// bytes never changes, so a place found in the folded text is the same
// place in the text itself.

#include "merge/text_encoding.h"

#include <string>
#include <string_view>

namespace merge {

void FoldCase(std::string_view text, TextEncoding encoding, std::string& folded);

} // namespace merge
