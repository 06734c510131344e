#include "app/thread_stacks.h"

#include <cstddef>
#include <pthread.h>

namespace app {

namespace {

// Deep enough for Qt's helpers and ours (they fill, copy and write; no
// recursion), an eighth of the default.
constexpr std::size_t kThreadStackBytes = std::size_t{1} << 20;

} // namespace

void UseSmallThreadStacks() {
  static const bool done = [] {
    pthread_attr_t attributes;
    if (::pthread_getattr_default_np(&attributes) != 0)
      return false;
    std::size_t size = 0;
    if (::pthread_attr_getstacksize(&attributes, &size) == 0 && size > kThreadStackBytes &&
        ::pthread_attr_setstacksize(&attributes, kThreadStackBytes) == 0)
      ::pthread_setattr_default_np(&attributes);
    ::pthread_attr_destroy(&attributes);
    return true;
  }();
  (void)done;
}

} // namespace app
