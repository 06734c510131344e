// The options beyond the twelve lines: quotes, header, matching by header,
// quotes when saving.
#include "settings/settings_file.h"
#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(FurtherOptionsTest, OffByDefaultAndThenNotWrittenAtAll) {
  settings::SettingsValues values;
  EXPECT_FALSE(values.quotes || values.header || values.match_headers || values.quote_output);
  const std::string text = settings::FormatSettings(values);
  EXPECT_EQ(text.rfind("direct=", std::string::npos),
            text.size() - std::string("direct=\r\n").size());
}

TEST(FurtherOptionsTest, TickedOnesFollowTheTwelveLinesAndReadBack) {
  settings::SettingsValues values;
  values.directory = "/d";
  values.quotes = true;
  values.match_headers = true;
  const std::string text = settings::FormatSettings(values);
  EXPECT_EQ(text.substr(text.find("direct=")), "direct=/d\r\nCheckBox7=TRUE\r\nCheckBox9=TRUE\r\n");
  const settings::SettingsValues read = settings::SettingsText(text).Values();
  EXPECT_TRUE(read.quotes);
  EXPECT_FALSE(read.header);
  EXPECT_TRUE(read.match_headers);
  EXPECT_FALSE(read.quote_output);
}

TEST(FurtherOptionsTest, AFileOfTheTwelveLinesLeavesThemOff) {
  settings::SettingsValues values;
  values.quotes = values.header = values.match_headers = values.quote_output = true;
  std::string text = settings::FormatSettings(values);
  const settings::SettingsValues all = settings::SettingsText(text).Values();
  EXPECT_TRUE(all.quotes && all.header && all.match_headers && all.quote_output);
  text.erase(text.find("CheckBox7="));
  const settings::SettingsValues twelve = settings::SettingsText(text).Values();
  EXPECT_FALSE(twelve.quotes || twelve.header || twelve.match_headers || twelve.quote_output);
}

TEST(FurtherOptionsTest, TheNumberingViewIsRememberedWhenOn) {
  settings::SettingsValues values;
  EXPECT_FALSE(values.numbering);
  values.numbering = true;
  const std::string text = settings::FormatSettings(values);
  EXPECT_EQ(text.substr(text.find("direct=")), "direct=\r\nNumbering=TRUE\r\n");
  EXPECT_TRUE(settings::SettingsText(text).Values().numbering);
}

} // namespace

// The name column's caption and place come back, an empty caption too; at
// their start values they add no line.
TEST(FurtherOptionsTest, NameColumnCaptionAndPlaceReadBack) {
  settings::SettingsValues values;
  EXPECT_EQ(settings::FormatSettings(values).find("Edit4"), std::string::npos);
  for (const std::string caption : {"", "\xD4\xE0\xE9\xEB"}) {
    values.file_name_header = caption;
    values.file_name_first = caption.empty();
    const std::string text = settings::FormatSettings(values);
    const settings::SettingsValues read = settings::SettingsText(text).Values();
    EXPECT_EQ(read.file_name_header, caption);
    EXPECT_EQ(read.file_name_first, caption.empty());
  }
  EXPECT_EQ(settings::SettingsText("").Values().file_name_header, settings::kFileNameHeaderIni);
}
