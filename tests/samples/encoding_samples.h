#pragma once
// Source files the way real programs write them, for the tests of reading
// and saving encodings. Every file splits at ";".
//
// - "excel.csv": a spreadsheet's "CSV UTF-8": byte-order mark, CR LF,
//   Cyrillic and Latin accents.
// - "web.csv": a web service's UTF-8 export: no mark, LF, a Greek letter
//   that Windows-1251 has no byte for.
// - "old.csv": an older system's Windows-1251 export, CR LF.
// - "broken.csv": meant to be UTF-8, with two bytes that are not.
// - "naïve-Ω.csv": a name with characters outside Windows-1251.

#include <string>

namespace samples {

// Texts in UTF-8, as this source file holds them.
inline const std::string kExcel = "\xEF\xBB\xBF"
                                  "Фамилия;Город\r\n"
                                  "Émile;Zürich\r\n"
                                  "Иванов;Москва\r\n";
inline const std::string kWeb = "id;name\n"
                                "1;Ωmega\n"
                                "2;Пётр\n";
// "Сидоров;Тверь" and "Ёж;№5" in Windows-1251.
inline const std::string kOld = "\xD1\xE8\xE4\xEE\xF0\xEE\xE2;\xD2\xE2\xE5\xF0\xFC\r\n"
                                "\xA8\xE6;\xB9"
                                "5\r\n";
inline const std::string kBroken = "ok;\xFF\xFE;x\n";
inline const std::string kOddName = "naïve-Ω.csv";
inline const std::string kOddNameContent = "z;1\n";

// The same texts in UTF-8, as a UTF-8 table holds them.
inline const std::string kOldUtf8Row0 = "Сидоров";
inline const std::string kOldUtf8Row1 = "Ёж";

} // namespace samples
