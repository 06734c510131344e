#include "settings/settings_values.h"

#include "platform/directory.h"

#include <algorithm>
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
  line("Edit1", values.output_name);
  line("Edit2", values.reading_delimiter);
  line("Edit3", values.skip_text);
  line("CheckBox1", BoolToIniText(values.add_file_name));
  line("CheckBox2", BoolToIniText(values.name_only));
  line("CheckBox3", BoolToIniText(values.open_after_save));
  line("CheckBox4", BoolToIniText(values.utf8_output));
  line("CheckBox5", BoolToIniText(values.escape_output));
  line("CheckBox6", BoolToIniText(values.skip_lines));
  line("ComboBox1", values.placement);
  line("ComboBox2", values.writing_delimiter);
  line("direct", values.directory);
  if (values.source_encoding != kSourceEncodingDefault)
    line(kSourceEncodingKey, values.source_encoding);
  if (values.bom)
    line(kBomKey, BoolToIniText(true));
  const std::pair<const char*, bool> options[] = {{kQuotesKey, values.quotes},
                                                  {kHeaderKey, values.header},
                                                  {kMatchHeadersKey, values.match_headers},
                                                  {kQuoteOutputKey, values.quote_output},
                                                  {kNumberingKey, values.numbering}};
  for (const auto& [name, ticked] : options) {
    if (ticked)
      line(name, BoolToIniText(true));
  }
  if (values.file_name_header != kFileNameHeaderIni)
    line(kFileNameHeaderKey, values.file_name_header);
  if (values.file_name_first)
    line(kFileNameFirstKey, BoolToIniText(true));
  const std::size_t recent =
      std::min(values.recent_folders.size(), static_cast<std::size_t>(kRecentFolders));
  for (std::size_t i = 0; i < recent; ++i)
    line((kRecentFolderKey + std::to_string(i + 1)).c_str(), values.recent_folders[i]);
  return out;
}

std::string SettingsPath(const std::string& start_directory) {
  return platform::JoinPath(start_directory, "init.ini");
}

} // namespace settings
