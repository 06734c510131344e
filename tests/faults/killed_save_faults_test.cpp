// Saves that write over their file in place (its folder takes no new file),
// killed with SIGKILL at moments spread over the whole save: at every moment
// the earlier content is whole in the file, or the new content is whole in
// the file or kept in the temporary folder under the file's name.

#include "platform/kept_content.h"
#include "platform/replacing_file.h"
#include "tests/support/fault_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace faults {
namespace {

TEST(KilledSaveTest, InPlaceSaveKilledAnywhereLosesNothing) {
  TempDir dir;
  const std::string folder = dir.File("closed");
  const std::string target = folder + "/out.csv";
  const std::string temporary = dir.File("tmp");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::mkdir(temporary.c_str(), 0700), 0);
  const std::string old_content(24 << 20, 'o');
  std::string new_content(32 << 20, 'n');
  new_content.back() = '\n';
  const char* old_tmpdir = std::getenv("TMPDIR");
  const std::string saved_tmpdir = old_tmpdir != nullptr ? old_tmpdir : "";
  ::setenv("TMPDIR", temporary.c_str(), 1);

  // Later and later, until the save ends before its kill.
  bool finished = false;
  for (int delay_ms = 0; !finished && delay_ms < 20000; delay_ms += std::max(10, delay_ms / 8)) {
    ::chmod(folder.c_str(), 0755);
    WriteBytes(target, old_content);
    ::chmod(folder.c_str(), 0555);
    const pid_t child = ::fork();
    if (child == 0) {
      platform::ReplacingFile file(target);
      for (std::size_t at = 0; at < new_content.size(); at += 1 << 20)
        file.Write(new_content.data() + at, 1 << 20);
      file.Commit();
      ::_exit(file.in_place() ? 0 : 3);
    }
    ::usleep(static_cast<useconds_t>(delay_ms) * 1000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    finished = WIFEXITED(status);
    ASSERT_FALSE(finished && WEXITSTATUS(status) != 0) << "not written in place";

    const std::string now = ReadBytes(target);
    const std::vector<platform::LeftContent> left = platform::LeftContents();
    if (now != old_content && now != new_content) {
      ASSERT_EQ(left.size(), 1u) << "killed after " << delay_ms << " ms";
      EXPECT_EQ(left[0].target, target);
      EXPECT_EQ(ReadBytes(left[0].content), new_content);
    }
    for (const platform::LeftContent& each : left) {
      ::unlink(each.content.c_str());
      ::unlink((each.content + ".target").c_str());
    }
    // Nothing else stays behind: what an unfinished save prepared is gone.
    EXPECT_EQ(NamesIn(temporary), std::vector<std::string>{});
  }
  ::chmod(folder.c_str(), 0755);
  if (saved_tmpdir.empty())
    ::unsetenv("TMPDIR");
  else
    ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
  EXPECT_TRUE(finished);
}

// A temporary folder too small for the content: the save in place still
// writes it (in memory, as before), and the folder is left empty.
TEST(KilledSaveTest, FullTemporaryFolderStillSavesInPlace) {
  TempDir dir;
  SmallDisk small(dir.File("tmp"), "1m");
  if (!small.mounted())
    GTEST_SKIP() << "needs root and a tmpfs of its own";
  const std::string folder = dir.File("closed");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string target = dir.Write("closed/out.csv", "earlier\n");
  ::chmod(folder.c_str(), 0555);
  const std::string content(4 << 20, 'n');
  ::setenv("TMPDIR", dir.File("tmp").c_str(), 1);
  {
    platform::ReplacingFile file(target);
    file.Write(content.data(), content.size());
    file.Commit();
    EXPECT_TRUE(file.in_place());
  }
  ::unsetenv("TMPDIR");
  ::chmod(folder.c_str(), 0755);
  EXPECT_EQ(ReadBytes(target), content);
  EXPECT_EQ(NamesIn(dir.File("tmp")), std::vector<std::string>{});
}

} // namespace
} // namespace faults
