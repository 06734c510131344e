// The C library's collation of the locale the process was started in (the
// window, like every Qt program, takes LC_COLLATE from the environment).

#include "platform/collation_key.h"

#include <cstring>

namespace platform {

void AppendCollationKey(std::string_view utf8, std::string& key) {
  // strxfrm reads a C string: a text holding a zero byte is keyed piece by
  // piece, the pieces joined by the lowest byte there is.
  std::string piece;
  for (std::size_t start = 0;;) {
    const std::size_t zero = utf8.find('\0', start);
    piece.assign(utf8.substr(start, zero == std::string_view::npos ? zero : zero - start));
    const std::size_t at = key.size();
    key.resize(at + piece.size() * 4 + 16);
    std::size_t n = std::strxfrm(&key[at], piece.c_str(), key.size() - at);
    if (n >= key.size() - at) {
      key.resize(at + n + 1);
      n = std::strxfrm(&key[at], piece.c_str(), n + 1);
    }
    key.resize(at + n);
    if (zero == std::string_view::npos)
      return;
    key.push_back('\1');
    start = zero + 1;
  }
}

} // namespace platform
