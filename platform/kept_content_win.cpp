#include "platform/kept_content.h"

// Nothing is kept aside on Windows (its in-place save prepares the content
// its own way), so nothing is ever left either.

namespace platform {

std::string TemporaryFolder() {
  return {};
}

int CreateKeptContent(std::string&) {
  return -1;
}

int MarkKeptContentComplete(int, const std::string&, const std::string&) {
  return 0;
}

void RemoveKeptContent(const std::string&) {}

std::vector<LeftContent> LeftContents() {
  return {};
}

std::string LeftContentMessage(const LeftContent& left) {
  return left.target;
}

} // namespace platform
