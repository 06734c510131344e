#include "platform/same_file.h"

#include "platform/directory.h"

namespace platform {

std::vector<std::size_t> PathsNamingFile(const std::vector<std::string>& paths,
                                         const std::string& file) {
  std::vector<std::size_t> indexes;
  const std::optional<FileIdentity> identity = IdentityOf(file);
  if (!identity)
    return indexes;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    if (IdentityOf(paths[i]) == identity)
      indexes.push_back(i);
  }
  return indexes;
}

} // namespace platform
