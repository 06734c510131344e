#include "platform/codepage.h"
#include "platform/errors.h"
#include "settings/settings_file.h"
#include "tests/support/temp_dir.h"

#include <QString>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

namespace {

using settings::SettingsText;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

std::string Cp1251(const char* utf8) {
  return platform::Utf16ToCp1251(QString::fromUtf8(utf8).toStdU16String());
}

struct LookupCase {
  const char* what;
  std::string text;
  const char* name;
  std::string expected;
};

TEST(SettingsTextTest, FindsTheFirstMatchingLine) {
  const std::vector<LookupCase> cases = {
      {"plain", "Edit1=a.csv\r\n", "Edit1", "a.csv"},
      {"other letter case", "edit1=a.csv\r\n", "Edit1", "a.csv"},
      {"upper case name", "DIRECT=/x\r\n", "direct", "/x"},
      {"first of two wins", "Edit1=first\r\nEdit1=second\r\n", "Edit1", "first"},
      {"= inside the value", "Edit2==\r\n", "Edit2", "="},
      {"only the first = separates", "Edit3=a=b=c\r\n", "Edit3", "a=b=c"},
      {"missing", "Edit1=x\r\n", "Edit2", ""},
      {"line without =", "Edit1\r\nEdit1=y\r\n", "Edit1", "y"},
      {"empty text", "", "Edit1", ""},
      {"spaces kept", "Edit1= a \r\n", "Edit1", " a "},
      {"no space trimming in the name", "Edit1 =x\r\n", "Edit1", ""},
      {"BOM before the first name",
       "\xEF\xBB\xBF"
       "Edit1=x\r\nEdit2=y\r\n",
       "Edit1", ""},
      {"BOM leaves later lines",
       "\xEF\xBB\xBF"
       "Edit1=x\r\nEdit2=y\r\n",
       "Edit2", "y"},
      {"LF line ends", "Edit1=a\nEdit2=b\n", "Edit2", "b"},
      {"CR line ends", "Edit1=a\rEdit2=b\r", "Edit2", "b"},
      {"CR LF line ends", "Edit1=a\r\nEdit2=b\r\n", "Edit2", "b"},
      {"no line end at the end", "Edit1=a\r\nEdit2=b", "Edit2", "b"},
      {"value ends at CR", "Edit1=a\rb\r\n", "Edit1", "a"},
      {"empty lines", "\r\n\n\rEdit1=a", "Edit1", "a"},
      {"NUL ends the text", std::string("Edit1=a\r\n\0Edit2=b\r\n", 19), "Edit2", ""},
      {"NUL inside a value", std::string("Edit1=a\0b\r\n", 11), "Edit1", "a"},
      {"Cyrillic name, other case", Cp1251("ИМЯ=знач\r\n"), "\xE8\xEC\xFF", Cp1251("знач")},
      {"Cyrillic Ё", Cp1251("Ё=1\r\n"), "\xB8", "1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SettingsText(c.text).Value(c.name), c.expected) << c.what;
}

TEST(SettingsTextTest, EmptyFileEmptiesEveryValue) {
  const settings::SettingsValues values = SettingsText("").Values();
  EXPECT_EQ(values.output_name, "");
  EXPECT_EQ(values.reading_delimiter, "");
  EXPECT_EQ(values.skip_text, "");
  EXPECT_FALSE(values.add_file_name || values.name_only || values.open_after_save ||
               values.utf8_output || values.escape_output || values.skip_lines);
  EXPECT_EQ(values.placement, "");
  EXPECT_EQ(values.writing_delimiter, "");
  EXPECT_EQ(values.directory, "");
}

TEST(SettingsFileTest, EveryValueSurvivesARoundTrip) {
  TempDir dir;
  const std::string path = settings::SettingsPath(dir.path());
  settings::SettingsValues values;
  values.output_name = Cp1251("/home/пользователь/итог 1.csv");
  values.reading_delimiter = "=";
  values.skip_text = " 12x";
  values.add_file_name = false;
  values.name_only = true;
  values.open_after_save = false;
  values.utf8_output = true;
  values.escape_output = true;
  values.skip_lines = true;
  values.placement = Cp1251("Собрать по вертикали ");
  values.writing_delimiter = "\xC0 \x98";
  values.directory = Cp1251("/данные/2024");
  settings::StoreSettingsFile(path, values);

  const auto text = settings::ReadSettingsFile(path);
  ASSERT_TRUE(text.has_value());
  const settings::SettingsValues read = text->Values();
  EXPECT_EQ(read.output_name, values.output_name);
  EXPECT_EQ(read.reading_delimiter, values.reading_delimiter);
  EXPECT_EQ(read.skip_text, values.skip_text);
  EXPECT_EQ(read.add_file_name, values.add_file_name);
  EXPECT_EQ(read.name_only, values.name_only);
  EXPECT_EQ(read.open_after_save, values.open_after_save);
  EXPECT_EQ(read.utf8_output, values.utf8_output);
  EXPECT_EQ(read.escape_output, values.escape_output);
  EXPECT_EQ(read.skip_lines, values.skip_lines);
  EXPECT_EQ(read.placement, values.placement);
  EXPECT_EQ(read.writing_delimiter, values.writing_delimiter);
  EXPECT_EQ(read.directory, values.directory);
  EXPECT_EQ(ReadBytes(path), settings::FormatSettings(values));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"init.ini"});
}

TEST(SettingsFileTest, NoFileOrADirectoryGivesNothing) {
  TempDir dir;
  EXPECT_FALSE(settings::ReadSettingsFile(dir.File("init.ini")).has_value());
  EXPECT_FALSE(settings::ReadSettingsFile(dir.File("no/such/init.ini")).has_value());
  ::mkdir(dir.File("init.ini").c_str(), 0755);
  EXPECT_FALSE(settings::ReadSettingsFile(dir.File("init.ini")).has_value());
}

TEST(SettingsFileTest, EmptyFileIsAFileWithoutValues) {
  TempDir dir;
  WriteBytes(dir.File("init.ini"), "");
  const auto text = settings::ReadSettingsFile(dir.File("init.ini"));
  ASSERT_TRUE(text.has_value());
  EXPECT_EQ(text->Value("Edit1"), "");
}

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(SettingsFileTest, FileLockedByAWriterCannotBeOpened) {
  TempDir dir;
  const std::string path = dir.File("init.ini");
  WriteBytes(path, "Edit1=x\r\n");
  const int writer = ::open(path.c_str(), O_RDONLY);
  ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(ErrorOf([&] { settings::ReadSettingsFile(path); }),
            "Cannot open file \"" + path + "\". Resource temporarily unavailable");
  EXPECT_EQ(ErrorOf([&] { settings::StoreSettingsFile(path, {}); }),
            "Cannot create file \"" + path + "\". Resource temporarily unavailable");
  ::close(writer);
  EXPECT_EQ(ReadBytes(path), "Edit1=x\r\n");
}

TEST(SettingsFileTest, ReadOnlyFileOrDirectoryCannotBeCreated) {
  TempDir dir;
  const std::string path = dir.File("init.ini");
  WriteBytes(path, "Edit1=x\r\n");
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(ErrorOf([&] { settings::StoreSettingsFile(path, {}); }),
            "Cannot create file \"" + path + "\". Permission denied");
  EXPECT_EQ(ReadBytes(path), "Edit1=x\r\n");

  ::mkdir(dir.File("closed").c_str(), 0555);
  const std::string closed = dir.File("closed/init.ini");
  EXPECT_EQ(ErrorOf([&] { settings::StoreSettingsFile(closed, {}); }),
            "Cannot create file \"" + closed + "\". Permission denied");
  const std::string missing = dir.File("gone/init.ini");
  EXPECT_EQ(ErrorOf([&] { settings::StoreSettingsFile(missing, {}); }),
            "Cannot create file \"" + missing + "\". No such file or directory");
}

} // namespace
