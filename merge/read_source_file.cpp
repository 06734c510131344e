#include "merge/read_source_file.h"

#include "platform/file.h"

namespace merge {

bool IsSourceFileAvailable(const std::string& path) {
  return platform::IsReadableCandidate(path);
}

} // namespace merge
