// Replacing a file: nothing left behind by a killed save, stale temporaries
// of our own removed and nobody else's, and the owner, group and mode kept
// also where renaming cannot keep them (then written in place).

#include "platform/replacing_file.h"

#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using testing_support::NamesIn;
using testing_support::ReadBytes;
using testing_support::TempDir;

void Replace(const std::string& path, const std::string& bytes) {
  platform::ReplacingFile file(path);
  file.Write(bytes.data(), bytes.size());
  file.Commit();
}

// Runs `work` in a child process and returns its exit status (-signal when
// killed by one).
template <typename Work> int InChild(Work work) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int code = 1;
    try {
      code = work();
    } catch (...) {
      code = 2;
    }
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(ReplacingFileTest, AKilledSaveLeavesNothingBehind) {
  TempDir dir;
  const std::string path = dir.Write("out.csv", "old\r\n");
  const int status = InChild([&] {
    platform::ReplacingFile file(path);
    const std::string half(1 << 20, 'x');
    file.Write(half.data(), half.size());
    ::raise(SIGKILL); // killed in the middle of writing
    return 0;
  });
  EXPECT_EQ(status, -SIGKILL);
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_EQ(NamesIn(dir.path()), std::vector<std::string>{"out.csv"});
}

TEST(ReplacingFileTest, StaleTemporariesOfOursGoOthersStay) {
  TempDir dir;
  const std::string path = dir.Write("out.csv", "old\r\n");
  dir.Write(".out.csv.kleitab-abc123", "left by a killed save");
  dir.Write(".out.csv.kleitab-toolong1", "not our pattern");
  dir.Write(".out.csv.abc123", "someone else's name");
  dir.Write(".other.csv.kleitab-abc123", "another target's");
  const std::string busy = dir.Write(".out.csv.kleitab-busy99", "a save under way");
  const int holder = ::open(busy.c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const bool root = ::geteuid() == 0;
  if (root) { // another user's file of our pattern
    const std::string foreign = dir.Write(".out.csv.kleitab-nobody", "another user's");
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
  }

  Replace(path, "new\r\n");
  ::close(holder);
  EXPECT_EQ(ReadBytes(path), "new\r\n");
  std::vector<std::string> want = {".other.csv.kleitab-abc123", ".out.csv.abc123",
                                   ".out.csv.kleitab-busy99", ".out.csv.kleitab-toolong1",
                                   "out.csv"};
  if (root)
    want.push_back(".out.csv.kleitab-nobody");
  std::sort(want.begin(), want.end());
  EXPECT_EQ(NamesIn(dir.path()), want);
}

constexpr uid_t kUser = 65500;
constexpr uid_t kOtherUser = 65501;
constexpr gid_t kPrimaryGroup = 65500;
constexpr gid_t kSupplementaryGroup = 65510;

// Becomes kUser with its primary and one supplementary group.
bool BecomeUser() {
  const gid_t groups[] = {kPrimaryGroup, kSupplementaryGroup};
  return ::setgroups(2, groups) == 0 && ::setgid(kPrimaryGroup) == 0 && ::setuid(kUser) == 0;
}

struct Identity {
  uid_t uid;
  gid_t gid;
  mode_t mode;
  ino_t inode;
};

Identity IdentityOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return {st.st_uid, st.st_gid, st.st_mode & 07777, st.st_ino};
}

TEST(ReplacingFileOwnerTest, OwnerGroupAndModeAreKept) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to act as other users";
  TempDir dir;

  // One's own file whose group is a supplementary group: replaced by
  // renaming, the group kept.
  ::mkdir(dir.File("own").c_str(), 0755);
  ::chown(dir.File("own").c_str(), kUser, kPrimaryGroup);
  const std::string own = dir.Write("own/out.csv", "old\r\n");
  ::chown(own.c_str(), kUser, kSupplementaryGroup);
  ::chmod(own.c_str(), 0640);

  // A writable file in a directory this user cannot write: in place.
  ::mkdir(dir.File("closed").c_str(), 0755);
  const std::string closed = dir.Write("closed/out.csv", "an older and longer content\r\n");
  ::chown(closed.c_str(), kUser, kPrimaryGroup);
  ::chmod(closed.c_str(), 0644);

  // Another user's world-writable file in a sticky directory: in place.
  ::mkdir(dir.File("sticky").c_str(), 0755);
  ::chmod(dir.File("sticky").c_str(), 01777);
  const std::string shared = dir.Write("sticky/out.csv", "old\r\n");
  ::chown(shared.c_str(), kOtherUser, kOtherUser);
  ::chmod(shared.c_str(), 0666);

  const Identity closed_before = IdentityOf(closed);
  const Identity shared_before = IdentityOf(shared);
  const int status = InChild([&] {
    if (!BecomeUser())
      return 10;
    Replace(own, "new own\r\n");
    Replace(closed, "new\r\n");
    Replace(shared, "new shared\r\n");
    return 0;
  });
  ASSERT_EQ(status, 0);

  EXPECT_EQ(ReadBytes(own), "new own\r\n");
  const Identity own_after = IdentityOf(own);
  EXPECT_EQ(own_after.uid, kUser);
  EXPECT_EQ(own_after.gid, kSupplementaryGroup);
  EXPECT_EQ(own_after.mode, 0640u);

  EXPECT_EQ(ReadBytes(closed), "new\r\n");
  const Identity closed_after = IdentityOf(closed);
  EXPECT_EQ(closed_after.inode, closed_before.inode);
  EXPECT_EQ(closed_after.mode, 0644u);
  EXPECT_EQ(NamesIn(dir.File("closed")), std::vector<std::string>{"out.csv"});

  EXPECT_EQ(ReadBytes(shared), "new shared\r\n");
  const Identity shared_after = IdentityOf(shared);
  EXPECT_EQ(shared_after.inode, shared_before.inode);
  EXPECT_EQ(shared_after.uid, kOtherUser);
  EXPECT_EQ(shared_after.gid, kOtherUser);
  EXPECT_EQ(NamesIn(dir.File("sticky")), std::vector<std::string>{"out.csv"});
}

TEST(ReplacingFileOwnerTest, InPlaceRefusesWhatAPlainRewriteWould) {
  if (::geteuid() != 0)
    GTEST_SKIP() << "needs root to act as other users";
  TempDir dir;
  ::mkdir(dir.File("closed").c_str(), 0755);
  const std::string locked = dir.Write("closed/locked.csv", "keep\r\n");
  ::chown(locked.c_str(), kUser, kPrimaryGroup);
  const int holder = ::open(locked.c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
  const int status = InChild([&] {
    if (!BecomeUser())
      return 10;
    try {
      Replace(locked, "new\r\n");
    } catch (const platform::ReplaceFailure& failure) {
      if (failure.stage == platform::ReplaceFailure::kLocked)
        return 0;
      return 3;
    }
    return 4;
  });
  ::close(holder);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadBytes(locked), "keep\r\n");
}

} // namespace
