#pragma once
// Running short of memory on purpose: a child process lowers its own
// address-space limit (RLIMIT_AS) a little above what it uses, so that the
// next large allocation fails while the test process itself is untouched.
// AddressSanitizer reserves terabytes of address space, so these tests run
// in the plain build only.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define KLEITAB_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KLEITAB_UNDER_ASAN 1
#endif
#endif

namespace testing_support {

// The process's address space now, in bytes.
inline long long AddressSpace() {
  std::FILE* statm = std::fopen("/proc/self/statm", "r");
  long long pages = 0;
  if (statm != nullptr) {
    if (std::fscanf(statm, "%lld", &pages) != 1)
      pages = 0;
    std::fclose(statm);
  }
  return pages * ::sysconf(_SC_PAGESIZE);
}

// Lowers the address-space limit to what is used now plus `headroom`.
inline bool LimitAddressSpace(std::int64_t headroom) {
  rlimit limit{};
  ::getrlimit(RLIMIT_AS, &limit);
  limit.rlim_cur = static_cast<rlim_t>(AddressSpace() + headroom);
  return ::setrlimit(RLIMIT_AS, &limit) == 0;
}

// Runs `job` in a child process and returns its exit status, or -signal;
// 100 when the job threw.
inline int InChild(const std::function<int()>& job) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int status = 100; // an exception no check expected
    try {
      status = job();
    } catch (...) {
    }
    ::_exit(status);
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid)
    return -1000;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

} // namespace testing_support
