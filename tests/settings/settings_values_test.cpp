#include "platform/codepage.h"
#include "settings/settings_values.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

std::string Cp1251(const char* utf8) {
  return platform::Utf16ToCp1251(QString::fromUtf8(utf8).toStdU16String());
}

TEST(SettingsValuesTest, StartValuesGiveTheTwelveLines) {
  settings::SettingsValues values;
  values.directory = "/home/user/data";
  EXPECT_EQ(settings::FormatSettings(values), "Edit1=1.csv\r\n"
                                              "Edit2=,\r\n"
                                              "Edit3=4\r\n"
                                              "CheckBox1=TRUE\r\n"
                                              "CheckBox2=TRUE\r\n"
                                              "CheckBox3=TRUE\r\n"
                                              "CheckBox4=FALSE\r\n"
                                              "CheckBox5=FALSE\r\n"
                                              "CheckBox6=FALSE\r\n"
                                              "ComboBox1=" +
                                                  Cp1251("Собрать по горизонтали ") +
                                                  "\r\n"
                                                  "ComboBox2=,\r\n"
                                                  "direct=/home/user/data\r\n");
}

TEST(SettingsValuesTest, ValuesAreWrittenUnchanged) {
  settings::SettingsValues values;
  values.output_name = " spaced name.csv ";
  values.reading_delimiter = "=";
  values.skip_text = "abc";
  values.placement = "";
  values.writing_delimiter = "        (Tab)";
  const std::string text = settings::FormatSettings(values);
  EXPECT_NE(text.find("Edit1= spaced name.csv \r\n"), std::string::npos);
  EXPECT_NE(text.find("Edit2==\r\n"), std::string::npos);
  EXPECT_NE(text.find("Edit3=abc\r\n"), std::string::npos);
  EXPECT_NE(text.find("ComboBox1=\r\n"), std::string::npos);
  EXPECT_NE(text.find("ComboBox2=        (Tab)\r\n"), std::string::npos);
}

TEST(SettingsValuesTest, OnlyExactTrueIsTicked) {
  EXPECT_EQ(settings::BoolToIniText(true), "TRUE");
  EXPECT_EQ(settings::BoolToIniText(false), "FALSE");
  EXPECT_TRUE(settings::IniTextToBool("TRUE"));
  for (const char* text : {"true", "True", "1", "", " TRUE", "TRUE ", "FALSE", "TRUEX"})
    EXPECT_FALSE(settings::IniTextToBool(text)) << text;
}

TEST(SettingsValuesTest, PathIsInTheStartDirectory) {
  EXPECT_EQ(settings::SettingsPath("/home/user"), "/home/user/init.ini");
  EXPECT_EQ(settings::SettingsPath("/"), "/init.ini");
}

} // namespace
