// The Russian sentence below each message the program shows.

#include "platform/error_advice.h"
#include "platform/error_message.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorAdvice, EveryMessageOfTheFileLayerHasItsSentence) {
  struct Case {
    std::string message;
    std::string file;
    int system_error;
    std::string sentence; // empty: any sentence will do, but one there must be
  };
  const Case cases[] = {
      {"I/O error 32", "/d/a.csv", 0, "Файл открыт другой программой — закройте его и повторите."},
      {"Invalid filename", "/nowhere/a.csv", ENOENT, "Папка не существует."},
      {"Invalid filename", "", 0, "Имя файла не задано."},
      {"I/O error 28", "/d/o.csv", ENOSPC, "Недостаточно места на диске."},
      {"Disk full", "/d/o.csv", 0, "Недостаточно места на диске."},
      {platform::FileErrorMessage(2), "/d/a.csv", ENOENT, ""},
      {platform::FileErrorMessage(4), "/d/a.csv", EMFILE, ""},
      {platform::FileErrorMessage(5), "/d/a.csv", EACCES, ""},
      {platform::FileErrorMessage(100), "/d/a.csv", 0, ""},
      {platform::FileErrorMessage(106), "", 0, ""},
      {platform::kOutOfMemory, "", 0, ""},
      {"Stream write error", "/d/init.ini", 0, ""},
      {"Cannot create file \"/d/init.ini\". Permission denied", "", 0, ""},
  };
  for (const Case& c : cases) {
    const std::string advice = platform::ErrorAdvice(c.message, c.file, c.system_error);
    if (c.sentence.empty())
      EXPECT_FALSE(advice.empty()) << c.message;
    else
      EXPECT_EQ(advice, c.sentence) << c.message;
  }
  // Nothing is made up for what the table does not know.
  EXPECT_EQ(platform::ErrorAdvice("В каталоге нет файлов *.csv", "/d", 0), "");
}

} // namespace
