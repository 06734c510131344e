#pragma once
// Progress of long work (collecting, saving), told to whoever shows it. The
// engine never touches a widget; the window implements this interface.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

class Progress {
public:
  virtual ~Progress() = default;
  // A new file is being read (or written); `size` in bytes, -1 if unknown.
  virtual void FileStarted(const std::string& path, std::int64_t size) = 0;
  // More bytes were read (or written); `total` counts from the start of the work.
  virtual void BytesDone(std::int64_t total) = 0;
  // Asked now and then; true ends the work like an error would.
  virtual bool CancelRequested() = 0;

  // Before a collect reads anything: the ticked files it will read and
  // their bytes in all, so that one bar can run over the whole job.
  virtual void JobStarted(std::int32_t /*files*/, std::int64_t /*bytes*/) {}
  // Work whose bytes are not known beforehand (saving) tells how far it has
  // come in other parts: `done` of `total` (rows).
  virtual void PartsDone(std::int64_t /*done*/, std::int64_t /*total*/) {}
  // A source's data ended at a byte 26 with more bytes after it, which were
  // not read (told once per file and pass).
  virtual void DataCutAtEndMark(const std::string& /*path*/) {}
};

// Thrown when the user cancelled: it ends the work like an error, but the
// window shows no message for it.
class Cancelled : public std::runtime_error {
public:
  Cancelled() : std::runtime_error("cancelled") {}
};

} // namespace platform
