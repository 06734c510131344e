// The encoding options in init.ini: after the twelve lines, only when not at
// their start values, and a missing or unknown value means the start value.

#include "settings/settings_file.h"
#include "settings/settings_values.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(EncodingSettings, StartValuesAddNoLine) {
  const std::string twelve = settings::FormatSettings(settings::SettingsValues{});
  EXPECT_EQ(std::count(twelve.begin(), twelve.end(), '\n'), 12);
  EXPECT_EQ(twelve.find("ComboBox3"), std::string::npos);
  EXPECT_EQ(twelve.find("CheckBox11"), std::string::npos);
}

TEST(EncodingSettings, OtherValuesFollowTheTwelveLinesAndComeBack) {
  settings::SettingsValues values;
  values.source_encoding = "\xCE\xEF\xF0\xE5\xE4\xE5\xEB\xFF\xF2\xFC \xE4\xEB\xFF \xEA\xE0\xE6\xE4"
                           "\xEE\xE3\xEE \xF4\xE0\xE9\xEB\xE0"; // "Определять для каждого файла"
  values.bom = true;
  const std::string twelve = settings::FormatSettings(settings::SettingsValues{});
  const std::string text = settings::FormatSettings(values);
  ASSERT_EQ(text.substr(0, twelve.size()), twelve);
  EXPECT_EQ(text.substr(twelve.size()),
            "ComboBox3=" + values.source_encoding + "\r\nCheckBox11=TRUE\r\n");

  const settings::SettingsValues back = settings::SettingsText(text).Values();
  EXPECT_EQ(back.source_encoding, values.source_encoding);
  EXPECT_TRUE(back.bom);
}

TEST(EncodingSettings, AnEarlierFileGivesTheStartValues) {
  const std::string twelve = settings::FormatSettings(settings::SettingsValues{});
  const settings::SettingsValues back = settings::SettingsText(twelve + "ComboBox3=\r\n").Values();
  EXPECT_EQ(back.source_encoding, settings::kSourceEncodingDefault);
  EXPECT_FALSE(back.bom);
  EXPECT_EQ(settings::SettingsText("").Values().source_encoding, settings::kSourceEncodingDefault);
}

} // namespace
