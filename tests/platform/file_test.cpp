#include "platform/file.h"

#include "platform/errors.h"
#include "tests/support/temp_dir.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testing_support::TempDir;

// Runs `body` in a child that holds uid/gid 65534 and returns its exit code;
// root reads any file, so only an unprivileged process sees the permissions.
template <typename Body> int RunAsNobody(Body body) {
  if (::geteuid() != 0)
    return body();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
      ::_exit(200);
    ::_exit(body());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(IsReadableCandidate, SkipsMissingDirectoriesAndEmptyPath) {
  TempDir dir;
  const std::string file = dir.Write("a.csv", "x");
  EXPECT_TRUE(platform::IsReadableCandidate(file));
  EXPECT_TRUE(platform::IsReadableCandidate(dir.Write("empty.csv", "")));
  EXPECT_FALSE(platform::IsReadableCandidate(dir.File("missing.csv")));
  EXPECT_FALSE(platform::IsReadableCandidate(dir.path()));
  EXPECT_FALSE(platform::IsReadableCandidate(""));
}

TEST(IsReadableCandidate, OldModificationTimeDoesNotMatter) {
  TempDir dir;
  const std::string file = dir.Write("old.csv", "x");
  ASSERT_EQ(::system(("touch -d '1970-01-01 00:00:00 UTC' '" + file + "'").c_str()), 0);
  EXPECT_TRUE(platform::IsReadableCandidate(file));
}

TEST(ReadOnlyFile, ReadsTheBytes) {
  TempDir dir;
  platform::ReadOnlyFile file(dir.Write("a.csv", "hello"));
  EXPECT_EQ(file.SizeHint(), 5);
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 5u);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
}

// A small file ends without a second read when the first stops short at
// its size; a file that changed since it was opened is still read to its
// real end.
TEST(ReadOnlyFile, ReadsToTheRealEndOfAFileThatChangedAfterTheOpen) {
  TempDir dir;
  char buffer[64];
  const auto append = [](const std::string& path, const char* text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, text, std::strlen(text)), static_cast<ssize_t>(std::strlen(text)));
    ::close(fd);
  };
  {
    const std::string path = dir.Write("grown.csv", "abc");
    platform::ReadOnlyFile file(path);
    append(path, "def");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u);
    EXPECT_EQ(std::string(buffer, 6), "abcdef");
    append(path, "g");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 1u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  }
  {
    // Read in pieces: one that ends exactly at the size, not short, is no end.
    const std::string path = dir.Write("pieces.csv", "abcd");
    platform::ReadOnlyFile file(path);
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    append(path, "ef");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  }
  {
    const std::string path = dir.Write("shrunk.csv", "abcdef");
    platform::ReadOnlyFile file(path);
    ASSERT_EQ(::truncate(path.c_str(), 2), 0);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  }
}

TEST(ReadOnlyFile, MissingFileOrDirectory) {
  TempDir dir;
  try {
    platform::ReadOnlyFile file(dir.File("missing.csv"));
    FAIL();
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), 2);
  }
  try {
    platform::ReadOnlyFile file(dir.File("nodir/missing.csv"));
    FAIL();
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), 3);
  }
}

TEST(ReadOnlyFile, ExclusiveLockElsewhereGivesError32) {
  TempDir dir;
  const std::string path = dir.Write("locked.csv", "a\n");
  const int writer = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX | LOCK_NB), 0);
  try {
    platform::ReadOnlyFile file(path);
    FAIL() << "opened a file locked for writing";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), 32);
    EXPECT_STREQ(e.what(), "I/O error 32");
  }
  ::close(writer);
  EXPECT_NO_THROW(platform::ReadOnlyFile file(path)); // released: readable again
}

TEST(ReadOnlyFile, ReadersShareTheFile) {
  TempDir dir;
  const std::string path = dir.Write("shared.csv", "a\n");
  platform::ReadOnlyFile first(path);
  EXPECT_NO_THROW(platform::ReadOnlyFile second(path));
}

TEST(ReadOnlyFile, UnreadableFileIsAccessDenied) {
  TempDir dir;
  const std::string path = dir.Write("secret.csv", "a\n");
  ASSERT_EQ(::chmod(path.c_str(), 0000), 0);
  const int code = RunAsNobody([&] {
    try {
      platform::ReadOnlyFile file(path);
      return 0;
    } catch (const platform::FileError& e) {
      return e.number();
    }
  });
  EXPECT_EQ(code, 5);
}

} // namespace
