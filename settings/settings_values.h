#pragma once
// The values init.ini remembers from one run to the next, one per widget,
// and their text form: twelve lines of name, "=" and value, each ended by
// CR LF. Texts are Windows-1251 bytes, written unchanged (no quoting, no
// trimming).

#include <string>
#include <string_view>

namespace settings {

// ComboBox3's first item, the encoding of old.
inline constexpr const char* kSourceEncodingDefault = "Windows-1251";

// Members start at the window's start values, except `direct`, which starts
// where the directory list starts: the start directory.
struct SettingsValues {
  std::string edit1 = "1.csv"; // the output file name
  std::string edit2 = ",";     // the reading delimiter (the whole text)
  std::string edit3 = "4";     // lines to skip, not validated
  bool check_box1 = true;
  bool check_box2 = true;
  bool check_box3 = true;
  bool check_box4 = false;
  bool check_box5 = false;
  bool check_box6 = false;
  std::string combo_box1 = "\xD1\xEE\xE1\xF0\xE0\xF2\xFC \xEF\xEE \xE3\xEE\xF0\xE8\xE7\xEE\xED"
                           "\xF2\xE0\xEB\xE8 "; // "Собрать по горизонтали "
  std::string combo_box2 = ",";                 // the writing delimiter (the whole text)
  std::string direct;                           // the directory the directory list shows

  // Options beyond the twelve lines; each is written only when it is not at
  // its start value, so that with every one at it the file is the twelve
  // lines alone.
  std::string combo_box3 = kSourceEncodingDefault; // "Кодировка файлов": the item's text
  bool check_box11 = false;                        // "BOM" beside "Использовать UTF8"
  // Options beyond the twelve lines, all off at start; each is written only
  // when ticked, so that a file with them all off is the twelve lines alone.
  bool quotes = false; // CheckBox7 "Учитывать кавычки"
  bool header = false; // CheckBox8 "Первая строка — заголовок"
  bool match_headers = false; // CheckBox9 "Сопоставлять столбцы по заголовкам"
  bool quote_output = false; // CheckBox10 "Кавычки при сохранении"
};

// The init.ini names of the options beyond the twelve lines.
inline constexpr const char* kQuotesKey = "CheckBox7";
inline constexpr const char* kHeaderKey = "CheckBox8";
inline constexpr const char* kMatchHeadersKey = "CheckBox9";
inline constexpr const char* kQuoteOutputKey = "CheckBox10";

// "TRUE" when ticked, else "FALSE".
std::string BoolToIniText(bool ticked);
// Ticked exactly for "TRUE": "true", " TRUE" or "1" are unticked.
bool IniTextToBool(std::string_view text);

// The init.ini names of the options beyond the twelve lines.
inline constexpr const char* kSourceEncodingKey = "ComboBox3";
inline constexpr const char* kBomKey = "CheckBox11";

// The twelve lines in their fixed order, each followed by CR LF, then a line
// for each further option that is not at its start value.
// The twelve lines in their fixed order, each followed by CR LF, then a
// line for each further option that is ticked.
std::string FormatSettings(const SettingsValues& values);

// The file in the start directory: "<dir>/init.ini" ("/init.ini" at the root).
std::string SettingsPath(const std::string& start_directory);

} // namespace settings
