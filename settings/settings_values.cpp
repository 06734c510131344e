#include "settings/settings_values.h"

#include "platform/directory.h"

#include <utility>

namespace settings {

std::string BoolToIniText(bool ticked) {
  return ticked ? "TRUE" : "FALSE";
}

bool IniTextToBool(std::string_view text) {
  return text == "TRUE";
}

std::string FormatSettings(const SettingsValues& values) {
  std::string out;
  const auto line = [&out](const char* name, std::string_view value) {
    out += name;
    out += '=';
    out += value;
    out += "\r\n";
  };
  line("Edit1", values.edit1);
  line("Edit2", values.edit2);
  line("Edit3", values.edit3);
  line("CheckBox1", BoolToIniText(values.check_box1));
  line("CheckBox2", BoolToIniText(values.check_box2));
  line("CheckBox3", BoolToIniText(values.check_box3));
  line("CheckBox4", BoolToIniText(values.check_box4));
  line("CheckBox5", BoolToIniText(values.check_box5));
  line("CheckBox6", BoolToIniText(values.check_box6));
  line("ComboBox1", values.combo_box1);
  line("ComboBox2", values.combo_box2);
  line("direct", values.direct);
  if (values.combo_box3 != kSourceEncodingDefault)
    line(kSourceEncodingKey, values.combo_box3);
  if (values.check_box11)
    line(kBomKey, BoolToIniText(true));
  const std::pair<const char*, bool> options[] = {{kQuotesKey, values.quotes},
                                                  {kHeaderKey, values.header},
                                                  {kMatchHeadersKey, values.match_headers},
                                                  {kQuoteOutputKey, values.quote_output}};
  for (const auto& [name, ticked] : options) {
    if (ticked)
      line(name, BoolToIniText(true));
  }
  return out;
}

std::string SettingsPath(const std::string& start_directory) {
  return platform::JoinPath(start_directory, "init.ini");
}

} // namespace settings
