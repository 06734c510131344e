#include "merge/read_source_file.h"

#include "platform/file.h"

namespace merge {

bool IsSourceFileAvailable(const std::string& path) {
  return platform::IsReadableCandidate(path);
}

bool OpenSourceFile(const std::string& path, ReadScratch& scratch, ReadProgress* progress,
                    std::optional<LineReader>& reader) {
  try {
    reader.emplace(path, scratch.line, progress, platform::ReadOnlyFile::Missing::kNotAvailable);
  } catch (const platform::NotRegularFile&) {
    return false;
  }
  return true;
}

} // namespace merge
