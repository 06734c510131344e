// The settings text: written by FormatSettings and read back by SettingsText.
//
// Any bytes read as a settings file: no crash. Then the input is also read as
// values: byte 0 gives the six check boxes, the rest is cut at NUL bytes into
// the six texts, with CR and LF left out (a value cannot hold a line end);
// writing them and reading the text back must give the same values.

#include "fuzz_check.h"
#include "settings/settings_file.h"
#include "settings/settings_values.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

bool SameValues(const settings::SettingsValues& a, const settings::SettingsValues& b) {
  return a.output_name == b.output_name && a.reading_delimiter == b.reading_delimiter &&
         a.skip_text == b.skip_text && a.add_file_name == b.add_file_name &&
         a.name_only == b.name_only && a.open_after_save == b.open_after_save &&
         a.utf8_output == b.utf8_output && a.escape_output == b.escape_output &&
         a.skip_lines == b.skip_lines && a.placement == b.placement &&
         a.writing_delimiter == b.writing_delimiter && a.directory == b.directory;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  const settings::SettingsText any(raw);
  (void)any.Values();
  (void)any.Value(raw.substr(0, raw.find('=')));

  if (size == 0)
    return 0;
  settings::SettingsValues values;
  values.add_file_name = (data[0] & 1) != 0;
  values.name_only = (data[0] & 2) != 0;
  values.open_after_save = (data[0] & 4) != 0;
  values.utf8_output = (data[0] & 8) != 0;
  values.escape_output = (data[0] & 16) != 0;
  values.skip_lines = (data[0] & 32) != 0;
  std::vector<std::string*> texts = {&values.output_name,       &values.reading_delimiter,
                                     &values.skip_text,         &values.placement,
                                     &values.writing_delimiter, &values.directory};
  for (std::string* text : texts)
    text->clear();
  std::size_t next = 0;
  for (std::size_t i = 1; i < size; ++i) {
    const char ch = static_cast<char>(data[i]);
    if (ch == '\0') {
      if (++next == texts.size())
        break;
    } else if (ch != '\r' && ch != '\n') {
      texts[next]->push_back(ch);
    }
  }

  const std::string written = settings::FormatSettings(values);
  FUZZ_CHECK(SameValues(settings::SettingsText(written).Values(), values));
  return 0;
}
