#pragma once
// A file whose new content is written beside it and put in its place only
// when complete, so that a failed or cancelled write leaves the earlier file
// whole and no partial file behind.
//
// An existing target is opened and locked exclusively (without waiting)
// before anything is written, and the lock is held until the new content has
// replaced it: a target that another process holds locked is left untouched.

#include <cstddef>
#include <string>

namespace platform {

// Why replacing failed; `error` is the errno value behind it.
struct ReplaceFailure {
  enum Stage {
    kLocked, // another process holds a lock on the target (error: EWOULDBLOCK)
    kCreate, // the target cannot be replaced or the new file not created
    kWrite,  // writing, flushing or renaming the new content failed
  };
  Stage stage;
  int error;
};

class ReplacingFile {
public:
  // Writes of whole blocks from buffers aligned to this go straight to the
  // disk, past the page cache, where the file system allows it: a gigabyte
  // written into the cache first costs more here than writing it out.
  static constexpr std::size_t kDirectAlignment = 4096;

  // Checks the target and creates the new file beside it. An existing target
  // that is a directory, or has no write permission in its mode bits, gives
  // kCreate with EISDIR or EACCES (also for root, whom access() would let
  // through), as does a directory whose mode bits deny writing. A symbolic
  // link is followed: the file it names is replaced, the link stays.
  // Throws ReplaceFailure.
  explicit ReplacingFile(const std::string& path);
  // Removes the new file unless Commit succeeded; the target stays as it was.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Writes all `size` bytes or throws ReplaceFailure (kWrite). May be called
  // from another thread than the one that made and commits the file. Data
  // not aligned to kDirectAlignment, or a size not a multiple of it, ends
  // writing past the page cache for the rest of the file.
  void Write(const char* data, std::size_t size);
  // Flushes the new file to disk, gives it the old file's permissions (or
  // 0666 less the umask for a new one) and renames it over the target.
  // Throws ReplaceFailure (kWrite); the target is then unchanged.
  void Commit();

  // The file that is replaced (the target of a symbolic link).
  const std::string& target() const { return target_; }

private:
  void Discard();
  void StopDirect();

  std::string target_;
  std::string temp_path_;
  int temp_fd_ = -1;
  int target_fd_ = -1; // holds the lock on an existing target
  long long written_ = 0;
  bool direct_ = false;
  unsigned mode_ = 0;
  bool replace_owner_ = false;
  unsigned owner_ = 0;
  unsigned group_ = 0;
};

} // namespace platform
