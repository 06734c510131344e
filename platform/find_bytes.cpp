#include "platform/find_bytes.h"

#include <string.h>

namespace platform {

const char* FindBytes(const char* haystack, std::size_t size, const char* needle,
                      std::size_t needle_size) {
  return static_cast<const char*>(::memmem(haystack, size, needle, needle_size));
}

} // namespace platform
