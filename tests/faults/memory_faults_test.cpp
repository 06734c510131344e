// Running out of memory: a child process under a small address-space limit
// edits a table until it compacts; the compaction cannot get its new block,
// and every cell must still read as written.

#include "merge/result_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define KLEITAB_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KLEITAB_UNDER_ASAN 1
#endif
#endif

namespace {

// The process's address space now, in bytes.
long long AddressSpace() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  long long pages = 0;
  if (statm != nullptr) {
    if (std::fscanf(statm, "%lld", &pages) != 1)
      pages = 0;
    std::fclose(statm);
  }
  return pages * ::sysconf(_SC_PAGESIZE);
}

std::string Text(int row, int round) {
  std::string text(1000, static_cast<char>('a' + round % 26));
  text += std::to_string(row);
  return text;
}

// 0 when every cell read back right; else which check failed.
int EditUnderALimit() {
  merge::ResultTable table;
  table.SetCompactionThreshold(std::size_t{1} << 20);
  constexpr int kRows = 3000;
  for (int row = 0; row < kRows; ++row)
    table.SetCell(0, row, Text(row, 0));
  // Room for the edits in the current block, none for a new 64 MiB one.
  rlimit limit{};
  ::getrlimit(RLIMIT_AS, &limit);
  const rlimit before = limit;
  limit.rlim_cur = static_cast<rlim_t>(AddressSpace() + (std::int64_t{24} << 20));
  if (::setrlimit(RLIMIT_AS, &limit) != 0)
    return 10;
  std::vector<int> round_of(kRows, 0); // the round whose text each row holds
  for (int round = 1; round <= 3; ++round) {
    for (int row = 0; row < kRows; ++row) {
      try {
        table.SetCell(0, row, Text(row, round));
        round_of[row] = round;
      } catch (const std::bad_alloc&) {
        // The edit itself found no room: the old text stays.
      }
    }
    for (int row = 0; row < kRows; ++row) {
      if (table.GetCell(0, row) != Text(row, round_of[row]))
        return 12;
    }
  }
  // With memory back, the next compaction finishes and all stays readable.
  ::setrlimit(RLIMIT_AS, &before);
  for (int row = 0; row < kRows; ++row)
    table.SetCell(0, row, Text(row, 7));
  for (int row = 0; row < kRows; ++row) {
    if (table.GetCell(0, row) != Text(row, 7))
      return 13;
  }
  return 0;
}

TEST(OutOfMemoryTest, CompactionThatFindsNoMemoryKeepsEveryRow) {
#ifdef KLEITAB_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space: an address-space "
                  "limit cannot be set under it; the plain build runs this test";
#else
  const pid_t pid = ::fork();
  if (pid == 0)
    ::_exit(EditUnderALimit());
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

} // namespace
