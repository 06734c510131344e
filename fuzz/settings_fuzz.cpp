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
  return a.edit1 == b.edit1 && a.edit2 == b.edit2 && a.edit3 == b.edit3 &&
         a.check_box1 == b.check_box1 && a.check_box2 == b.check_box2 &&
         a.check_box3 == b.check_box3 && a.check_box4 == b.check_box4 &&
         a.check_box5 == b.check_box5 && a.check_box6 == b.check_box6 &&
         a.combo_box1 == b.combo_box1 && a.combo_box2 == b.combo_box2 && a.direct == b.direct;
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
  values.check_box1 = (data[0] & 1) != 0;
  values.check_box2 = (data[0] & 2) != 0;
  values.check_box3 = (data[0] & 4) != 0;
  values.check_box4 = (data[0] & 8) != 0;
  values.check_box5 = (data[0] & 16) != 0;
  values.check_box6 = (data[0] & 32) != 0;
  std::vector<std::string*> texts = {&values.edit1,      &values.edit2,      &values.edit3,
                                     &values.combo_box1, &values.combo_box2, &values.direct};
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
