#pragma once
// Files as the program opens them: by their real name (bytes, never passed
// through the code page), with advisory locks standing in for sharing modes.

#include "platform/byte_encoding.h"
#include "platform/errors.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The availability test of a source file: the empty path, a path that names
// nothing, and anything that is not a regular file (a directory, a FIFO, a
// device, a socket) is not read (and not reported either).
bool IsReadableCandidate(const std::string& path);
// The size of a file that passes that test, else -1.
std::int64_t CandidateSize(const std::string& path);

// What a path names, for callers that treat each kind their own way.
struct PathStatus {
  enum Kind { kMissing, kRegularFile, kDirectory, kOther, kUnreachable };
  Kind kind;
  int error; // for kUnreachable: the system's error number
};
// kMissing when nothing of that name exists (or a part of the way is no
// directory), kUnreachable when the system cannot tell (no permission).
PathStatus StatusOf(const std::string& path);

// Thrown by ReadOnlyFile when what the path names turned out, once opened,
// not to be a regular file: it is then treated as not available.
class NotRegularFile : public Error {
public:
  NotRegularFile() : Error("not a regular file") {}
};

// A file opened for reading that others may read but not write meanwhile: it
// holds a shared lock, taken without waiting. A writer's exclusive lock held
// elsewhere gives error 32. Opening never blocks: a FIFO or device put in
// the file's place is opened without waiting and refused (NotRegularFile).
class ReadOnlyFile {
public:
  // What an open that fails because the path names nothing readable (what
  // IsReadableCandidate refuses: nothing there, the empty path) throws.
  enum class Missing { kError, kNotAvailable }; // FileError, NotRegularFile

  explicit ReadOnlyFile(const std::string& path,
                        Missing missing = Missing::kError); // throws FileError
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  // Reads up to `size` bytes; 0 at the end of the file. Throws FileError.
  std::size_t Read(void* buffer, std::size_t size);
  // From here on Read gives the file's bytes turned from `encoding` into
  // UTF-8 (nothing changes for kAsIs). Called before the first read.
  void DecodeFrom(ByteEncoding encoding);
  // The file's size when it was opened (a hint, not a limit).
  long long SizeHint() const { return size_hint_; }
  // Bytes taken from the file itself so far, whatever Read gave of them.
  long long Position() const { return read_; }
  // Whether Read still holds decoded bytes it has not given out.
  bool HoldsDecoded() const;
  // Characters the decoding wrote as U+FFFD.
  std::int64_t DecodingReplaced() const;
  const std::string& path() const { return path_; }

private:
  // The system's read: up to `size` of the file's own bytes.
  std::size_t ReadRaw(void* buffer, std::size_t size);
  struct Decoding;
  struct DropDecoding {
    void operator()(Decoding* decoding) const;
  };
  std::unique_ptr<Decoding, DropDecoding> decoding_;
  std::string path_;
  int fd_ = -1;
  long long size_hint_ = 0;
  long long read_ = 0;  // bytes read so far
  bool at_end_ = false; // the end was met without a read returning 0
};

// Takes an advisory lock on an open descriptor without waiting: true when
// held, false when another process holds a conflicting one.
bool TryLock(int fd, bool exclusive);

} // namespace platform
