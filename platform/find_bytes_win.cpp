// Windows' C library has no memmem: the standard library's search.

#include "platform/find_bytes.h"

#include <algorithm>
#include <functional>

namespace platform {

const char* FindBytes(const char* haystack, std::size_t size, const char* needle,
                      std::size_t needle_size) {
  const char* end = haystack + size;
  const char* hit =
      std::search(haystack, end, std::boyer_moore_horspool_searcher(needle, needle + needle_size));
  return hit == end ? nullptr : hit;
}

} // namespace platform
