#pragma once
// The values init.ini remembers from one run to the next, one per widget,
// and their text form: twelve lines of name, "=" and value, each ended by
// CR LF. Texts are Windows-1251 bytes, written unchanged (no quoting, no
// trimming). The names in init.ini are the widgets' names (Edit1, CheckBox1,
// ...); the members say what they hold.

#include "settings/choice_texts.h"

#include <string>
#include <string_view>
#include <vector>

namespace settings {

// ComboBox3's first item, the encoding of old.
inline constexpr const char* kSourceEncodingDefault = "Windows-1251";

// Edit4's start text, "Имя файла", as init.ini holds it.
inline constexpr const char* kFileNameHeaderIni = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0";

// Members start at the window's start values, except `directory`, which
// starts where the directory list starts: the start directory.
struct SettingsValues {
  std::string output_name = "1.csv";   // Edit1: the output file name
  std::string reading_delimiter = ","; // Edit2: the reading delimiter (the whole text)
  std::string skip_text = "4";         // Edit3: lines to skip, not validated
  bool add_file_name = true;           // CheckBox1 "Добавить имя файла "
  bool name_only = true;               // CheckBox2 "Только имя файла"
  bool open_after_save = true; // CheckBox3 "Открыть файл после сохранения"
  bool utf8_output = false;    // CheckBox4 "Использовать UTF8"
  bool escape_output = false;  // CheckBox5: the "#" escape on saving
  bool skip_lines = false;     // CheckBox6 "Убрать первые строки"
  std::string placement = kSideBySideIni; // ComboBox1: the item's text
  std::string writing_delimiter = ",";    // ComboBox2: the writing delimiter (the whole text)
  std::string directory;                  // direct: the directory the directory list shows

  // Options beyond the twelve lines; each is written only when it is not at
  // its start value, so that with every one at it the file is the twelve
  // lines alone.
  std::string source_encoding = kSourceEncodingDefault; // ComboBox3: the item's text
  bool bom = false;    // CheckBox11 "BOM" beside "Использовать UTF8"
  bool quotes = false; // CheckBox7 "Учитывать кавычки"
  bool header = false; // CheckBox8 "Первая строка — заголовок"
  bool match_headers = false; // CheckBox9 "Сопоставлять столбцы по заголовкам"
  bool quote_output = false; // CheckBox10 "Кавычки при сохранении"
  bool numbering = false;    // the grid's view "Нумерация строк и столбцов"
  std::string file_name_header = kFileNameHeaderIni; // Edit4: the name column's caption
  bool file_name_first = false;                      // CheckBox12: the name column first
  // Recent1 to Recent10: the folders shown last, the latest first, each as
  // "direct" holds a folder.
  std::vector<std::string> recent_folders;
};

// The init.ini names of the options beyond the twelve lines.
inline constexpr const char* kSourceEncodingKey = "ComboBox3";
inline constexpr const char* kBomKey = "CheckBox11";
inline constexpr const char* kQuotesKey = "CheckBox7";
inline constexpr const char* kHeaderKey = "CheckBox8";
inline constexpr const char* kMatchHeadersKey = "CheckBox9";
inline constexpr const char* kQuoteOutputKey = "CheckBox10";
inline constexpr const char* kNumberingKey = "Numbering";
inline constexpr const char* kFileNameHeaderKey = "Edit4";
inline constexpr const char* kFileNameFirstKey = "CheckBox12";
inline constexpr const char* kRecentFolderKey = "Recent"; // and the number, 1 to kRecentFolders
inline constexpr int kRecentFolders = 10;

// "TRUE" when ticked, else "FALSE".
std::string BoolToIniText(bool ticked);
// Ticked exactly for "TRUE": "true", " TRUE" or "1" are unticked.
bool IniTextToBool(std::string_view text);

// The twelve lines in their fixed order, each followed by CR LF, then a line
// for each further option that is not at its start value.
std::string FormatSettings(const SettingsValues& values);

// The file in the start directory: "<dir>/init.ini" ("/init.ini" at the root).
std::string SettingsPath(const std::string& start_directory);

} // namespace settings
