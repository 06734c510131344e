#include "settings/ini_text.h"

#include "platform/codepage.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// Text Windows-1251 holds is stored in it as always; other text as UTF-8;
// every text reads back as it was written.
TEST(IniTextTest, EveryTextComesBackAndCodePageTextIsStoredAsBefore) {
  const struct {
    std::u16string text;
    std::string stored;
  } cases[] = {
      {u"1.csv", "1.csv"},
      {u"итог.csv", "\xE8\xF2\xEE\xE3.csv"},
      {u"résumé.csv", "r\xC3\xA9sum\xC3\xA9.csv"},
      {u"日本.csv", "\xE6\x97\xA5\xE6\x9C\xAC.csv"},
      // Code page bytes that would read as UTF-8 ("Рё" is D0 B8, "и" in
      // UTF-8) are stored as UTF-8 instead.
      {u"Рё", "\xD0\xA0\xD1\x91"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(settings::TextToIni(c.text), c.stored);
    EXPECT_EQ(settings::IniToText(c.stored), c.text);
  }
  // A file written by an earlier version reads the same.
  EXPECT_EQ(settings::IniToText("r?sum?.csv"), u"r?sum?.csv");
  EXPECT_EQ(settings::IniToText("\xCE\xF2\xF7\xE5\xF2"), u"Отчет");
}

TEST(IniTextTest, FileNamesComeBackByTheirBytes) {
  const std::string names[] = {"/data/donn\xC3\xA9"
                               "es",
                               "/data/\xD0\xB8\xD1\x82\xD0\xBE\xD0\xB3", "/data/raw_\xCF\xF0",
                               "/plain"};
  for (const std::string& name : names) {
    const std::vector<std::string> back = settings::IniToFileNames(settings::FileNameToIni(name));
    EXPECT_NE(std::find(back.begin(), back.end(), name), back.end()) << name;
  }
  EXPECT_EQ(settings::FileNameToIni("/data/\xD0\xB8\xD1\x82\xD0\xBE\xD0\xB3"),
            "/data/\xE8\xF2\xEE\xE3")
      << "a name the code page holds is stored in it";
  EXPECT_EQ(settings::FileNameToIni("/data/raw_\xCF\xF0"), "/data/raw_\xCF\xF0");
  EXPECT_EQ(settings::IniToFileNames("/data/\xE8\xF2\xEE\xE3").front(),
            "/data/\xD0\xB8\xD1\x82\xD0\xBE\xD0\xB3");
}

} // namespace
