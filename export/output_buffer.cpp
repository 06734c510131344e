#include "export/output_buffer.h"

#include "platform/errors.h"

#include <cerrno>
#include <unistd.h>

namespace exporter {

namespace {

[[noreturn]] void ThrowSaveError(const ReplaceFailure& failure, const std::string& file_name) {
  if (failure.stage == ReplaceFailure::kLocked)
    throw platform::FileError(platform::kSharingViolation, 0, file_name);
  platform::ThrowFileErrorFromErrno(failure.error, file_name);
}

void WriteToStandardOutput(const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, data, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      throw ReplaceFailure{ReplaceFailure::kWrite, errno};
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

} // namespace

void WriteOutput(const OutputPlace& place, platform::Progress* progress,
                 const std::function<void(OutputBuffer&)>& write_lines) {
  const std::string& name = place.file_name;
  try {
    if (place.standard_output) {
      OutputBuffer out(WriteToStandardOutput, progress);
      write_lines(out);
      out.Finish();
      return;
    }
    ReplacingFile file(name);
    if (progress != nullptr)
      progress->FileStarted(name, -1);
    OutputBuffer out([&file](const char* data, std::size_t size) { file.Write(data, size); },
                     progress);
    write_lines(out);
    out.Finish();
    file.Commit();
  } catch (const ReplaceFailure& failure) {
    ThrowSaveError(failure, place.standard_output ? std::string() : name);
  }
}

} // namespace exporter
