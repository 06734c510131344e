#include "platform/errors.h"

#include "tests/support/temp_dir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

TEST(FileErrorMessage, TableOfFileErrors) {
  const struct {
    int number;
    const char* message;
  } cases[] = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {32, "I/O error 32"},
      {28, "I/O error 28"},
      {1, "I/O error 1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::FileErrorMessage(c.number), c.message) << c.number;
    const platform::FileError error(c.number);
    EXPECT_EQ(error.number(), c.number);
    EXPECT_STREQ(error.what(), c.message);
  }
}

TEST(FileErrorNumberFromErrno, MapsErrnoToFileLayerNumbers) {
  testing_support::TempDir dir;
  const std::string in_existing_dir = dir.File("missing.csv");
  const std::string in_missing_dir = dir.File("no-such-dir/missing.csv");
  const struct {
    int err;
    const std::string& path;
    int expected;
  } cases[] = {
      {ENOENT, in_existing_dir, 2},    {ENOENT, in_missing_dir, 3},
      {ENOTDIR, in_existing_dir, 3},   {ENAMETOOLONG, in_existing_dir, 3},
      {ELOOP, in_existing_dir, ELOOP}, {EMFILE, in_existing_dir, 4},
      {ENFILE, in_existing_dir, 4},    {EACCES, in_existing_dir, 5},
      {EPERM, in_existing_dir, 5},     {EISDIR, in_existing_dir, 5},
      {EROFS, in_existing_dir, 5},     {ENOSPC, in_existing_dir, ENOSPC},
      {EIO, in_existing_dir, EIO},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::FileErrorNumberFromErrno(c.err, c.path), c.expected)
        << "errno " << c.err << " path " << c.path;
}

TEST(FileErrorNumberFromErrno, BareNameLooksInTheCurrentDirectory) {
  EXPECT_EQ(platform::FileErrorNumberFromErrno(ENOENT, "no-such-file.csv"), 2);
}

TEST(ThrowFileErrorFromErrno, ThrowsTheMappedError) {
  try {
    platform::ThrowFileErrorFromErrno(ENOSPC, "/tmp/x");
    FAIL() << "no throw";
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), ENOSPC);
    EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(ENOSPC));
  }
}

// A failure that is none of the mapped conditions keeps the system's own
// number, and its message is "I/O error N" even where N is also a number of
// the table (EIO is 5, ENETDOWN is 100 on Linux).
TEST(ThrowFileErrorFromErrno, OtherErrnoAlwaysReadsAsIoError) {
  for (const int err : {EIO, ENETDOWN, ELOOP, ENOSPC}) {
    try {
      platform::ThrowFileErrorFromErrno(err, "/tmp/x");
      FAIL() << "no throw";
    } catch (const platform::FileError& e) {
      EXPECT_EQ(e.number(), err);
      EXPECT_EQ(std::string(e.what()), "I/O error " + std::to_string(err));
    }
  }
  try {
    platform::ThrowFileErrorFromErrno(EACCES, "/tmp/x");
  } catch (const platform::FileError& e) {
    EXPECT_EQ(e.number(), 5);
    EXPECT_STREQ(e.what(), "File access denied");
  }
}

} // namespace
