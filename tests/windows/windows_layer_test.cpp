// The Windows layer against the system itself (run under Wine by the
// Windows build): what another process holds, what names look like, and
// the numbers the system gives.

#include "export/save_table.h"
#include "merge/collect.h"
#include "merge/file_name_tag.h"
#include "merge/result_table.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "platform/win_path.h"
#include "tests/support/fake_candidates.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::FakeCandidates;
using testing_support::ReadBytes;
using testing_support::TempDir;

std::wstring g_program;

// Another process that opens `path` for writing, sharing reading only, and
// keeps it until it is ended; the file "<path>.held" says it holds it.
class HoldingProcess {
public:
  explicit HoldingProcess(const std::string& path) {
    std::wstring command = L"\"" + g_program + L"\" --hold \"" + platform::win::Widen(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(g_program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info_))
      throw std::runtime_error("cannot start the holding process");
    const std::wstring held = platform::win::Widen(path + ".held");
    for (int i = 0; i < 500 && ::GetFileAttributesW(held.c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
      ::Sleep(20);
  }
  ~HoldingProcess() {
    ::TerminateProcess(info_.hProcess, 0);
    ::WaitForSingleObject(info_.hProcess, 10000);
    ::CloseHandle(info_.hProcess);
    ::CloseHandle(info_.hThread);
  }

private:
  PROCESS_INFORMATION info_{};
};

int Hold(const wchar_t* path) {
  const HANDLE file =
      ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  const std::wstring held = std::wstring(path) + L".held";
  ::CloseHandle(::CreateFileW(held.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ::Sleep(60000);
  return 0;
}

int NumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const platform::FileError& error) {
    return error.number();
  }
  return 0;
}

TEST(SharedFiles, ASourceHeldByAnotherProgramEndsTheCollectWith32AndKeepsWhatWasPlaced) {
  TempDir dir;
  dir.Write("a.csv", "1,2\r\n3,4\r\n");
  const std::string held = dir.Write("b.csv", "5,6\r\n");
  HoldingProcess other(held);
  merge::ResultTable table;
  FakeCandidates candidates(dir, {{"a.csv"}, {"b.csv"}});
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.add_file_name = false;
  try {
    merge::CollectFiles(table, candidates, options, [] {});
    FAIL() << "the held file was read";
  } catch (const platform::FileError& error) {
    EXPECT_EQ(error.number(), 32);
    EXPECT_STREQ(error.what(), "I/O error 32");
    EXPECT_EQ(error.file(), platform::AbsoluteName(held));
  }
  EXPECT_EQ(table.GetCell(0, 1), "3");
  EXPECT_EQ(table.GetCell(1, 1), "4");
}

TEST(SharedFiles, ASaveOverAnOutputHeldByAnotherProgramLeavesItWholeAndNothingBeside) {
  TempDir dir;
  const std::string output = dir.Write("out.csv", "earlier\r\n");
  HoldingProcess other(output);
  merge::ResultTable table;
  table.SetCell(0, 0, "new");
  EXPECT_EQ(NumberOf([&] { exporter::SaveTable(table, output, exporter::SaveOptions{}); }), 32);
  EXPECT_EQ(ReadBytes(output), "earlier\r\n");
  EXPECT_EQ(dir.Names(), (std::vector<std::string>{"out.csv", "out.csv.held"}));
}

TEST(Replacing, TheNewContentTakesThePlaceWholeAndTheHiddenFileIsGone) {
  TempDir dir;
  const std::string target = dir.Write("out.csv", std::string(100000, 'o'));
  {
    platform::ReplacingFile file(target);
    file.Write("new\r\n", 5);
    EXPECT_EQ(dir.Names().size(), 2u); // the hidden new file beside the target
    file.Commit();
  }
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.csv"});
  EXPECT_EQ(::GetFileAttributesW(platform::win::SystemPath(target).c_str()) & FILE_ATTRIBUTE_HIDDEN,
            0u);
  {
    platform::ReplacingFile abandoned(target); // never committed
    abandoned.Write("lost", 4);
  }
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"out.csv"});
  ::SetFileAttributesW(platform::win::SystemPath(target).c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(NumberOf([&] {
              merge::ResultTable table;
              exporter::SaveTable(table, target, exporter::SaveOptions{});
            }),
            5);
  ::SetFileAttributesW(platform::win::SystemPath(target).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(Paths, DriveLettersSharesAndBackslashes) {
  struct Case {
    std::string path, directory;
    std::size_t name_start;
    bool absolute;
  };
  const Case cases[] = {
      {"C:\\a.csv", "C:\\", 3, true},  {"C:\\d\\a.csv", "C:\\d", 5, true},
      {"C:/d/a.csv", "C:/d", 5, true}, {"\\\\server\\share\\a.csv", "\\\\server\\share", 15, true},
      {"d\\a.csv", "d", 2, false},     {"a.csv", ".", 0, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::DirectoryOf(c.path), c.directory) << c.path;
    EXPECT_EQ(platform::BareNameStart(c.path), c.name_start) << c.path;
    EXPECT_EQ(platform::IsAbsolutePath(c.path), c.absolute) << c.path;
  }
  EXPECT_EQ(platform::JoinPath("C:\\", "a.csv"), "C:\\a.csv");
  EXPECT_EQ(platform::JoinPath("C:\\d", "a.csv"), "C:\\d\\a.csv");
  EXPECT_EQ(platform::PathFromRoot("C:\\a\\b"),
            (std::vector<std::string>{"C:\\", "C:\\a", "C:\\a\\b"}));
  EXPECT_EQ(platform::PathFromRoot("C:\\"), std::vector<std::string>{"C:\\"});
  EXPECT_EQ(platform::PathFromRoot("\\\\server\\share\\d"),
            (std::vector<std::string>{"\\\\server\\share\\", "\\\\server\\share\\d"}));
  // The name cell cuts at the last backslash; a "/" in a name stays out of it.
  EXPECT_EQ(merge::FileNameTag("C:\\отчёты\\май.2026.csv", true, merge::TextEncoding::kUtf8),
            "май.2026");
  EXPECT_EQ(merge::FileNameTag("C:\\d\\a.csv", false, merge::TextEncoding::kCp1251),
            "C:\\d\\a.csv");
}

TEST(Paths, EachDriveKeepsItsCurrentDirectoryAndTheDrivesAreListed) {
  TempDir dir;
  const std::string before = platform::CurrentDirectory();
  platform::EnterDirectory(dir.path());
  const std::string now = platform::CurrentDirectory();
  wchar_t variable[MAX_PATH] = {};
  const std::wstring name = L"=" + platform::win::Widen(now.substr(0, 2));
  ::GetEnvironmentVariableW(name.c_str(), variable, MAX_PATH);
  EXPECT_EQ(platform::win::Narrow(variable), now);
  platform::EnterDirectory(before);
  bool found = false;
  for (const platform::Volume& v : platform::MountedVolumes())
    if (v.root == now.substr(0, 3)) {
      found = true;
      EXPECT_EQ(v.caption.substr(0, 4), std::string(1, char(now[0] | 0x20)) + ": [");
    }
  EXPECT_TRUE(found) << now;
  EXPECT_EQ(platform::VolumeRootOf(now), now.substr(0, 3));
}

TEST(Paths, ANameLongerThanTheOldLimitIsListedReadAndReplaced) {
  TempDir dir;
  std::string deep = dir.path();
  while (deep.size() < 300) {
    deep = platform::JoinPath(deep, std::string(40, 'd'));
    ASSERT_TRUE(::CreateDirectoryW(platform::win::SystemPath(deep).c_str(), nullptr)) << deep;
  }
  const std::string file = platform::JoinPath(deep, "long.csv");
  {
    platform::ReplacingFile out(file);
    out.Write("x,y\r\n", 5);
    out.Commit();
  }
  EXPECT_EQ(platform::ListCsvFiles(deep), std::vector<std::string>{"long.csv"});
  platform::ReadOnlyFile in(file);
  char buffer[16];
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 5u);
}

TEST(Errors, TheSystemsNumbersPickTheMessages) {
  TempDir dir;
  struct Case {
    std::string path;
    int number;
    const char* message;
  };
  const Case cases[] = {
      {dir.File("missing.csv"), 2, "File not found"},
      {dir.File("no such folder\\a.csv"), 3, "Invalid filename"},
      {dir.path(), 5, "File access denied"},       // a folder
      {dir.File("a<b.csv"), 123, "I/O error 123"}, // a name the system refuses
  };
  for (const Case& c : cases) {
    try {
      platform::ReadOnlyFile file(c.path);
      ADD_FAILURE() << c.path << " opened";
    } catch (const platform::FileError& error) {
      EXPECT_EQ(error.number(), c.number) << c.path;
      EXPECT_STREQ(error.what(), c.message) << c.path;
    }
  }
}

TEST(Names, ANameOutsideWindows1251IsListedReadAndTagged) {
  TempDir dir;
  const std::string name = "café 日本.csv";
  dir.Write(name, "1\r\n");
  EXPECT_EQ(platform::ListCsvFiles(dir.path()), std::vector<std::string>{name});
  merge::ResultTable table;
  FakeCandidates candidates(dir, {{name}});
  merge::CollectOptions options;
  options.delimiter_text = ",";
  options.source_encoding = merge::SourceEncoding::kUtf8;
  merge::CollectFiles(table, candidates, options, [] {});
  EXPECT_EQ(table.GetCell(0, 0), "1");
  EXPECT_EQ(table.GetCell(1, 0), "café 日本");
  EXPECT_EQ(merge::FileNameTag(dir.File(name), true, merge::TextEncoding::kCp1251), "caf? ??");
}

} // namespace

int main(int argc, char** argv) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (count == 3 && std::wstring(args[1]) == L"--hold")
    return Hold(args[2]); // the other process
  ::LocalFree(args);
  wchar_t module[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, module, MAX_PATH);
  g_program = module;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
