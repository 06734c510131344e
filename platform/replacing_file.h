#pragma once
// A file whose new content is written beside it and put in its place only
// when complete, so that a failed or cancelled write leaves the earlier file
// whole and no partial file behind.
//
// The new file is made without a name (O_TMPFILE) where the file system
// allows it and linked in only at the end, so that even a killed process
// leaves nothing behind; elsewhere it gets a hidden name of its own
// (".<name>.kleitab-XXXXXX"), locked while in use, and such names that
// this user left behind unlocked are removed by the next save of the same
// target.
//
// Replacing keeps the target's owner, group and mode. Where that cannot be
// done by renaming (the owner or group is not one this user may give, the
// directory cannot take a new file, a sticky directory), an existing
// writable target is written in place instead, as a plain rewrite would:
// the whole new content is first prepared apart (in the user's temporary
// folder, see kept_content.h, else in memory-backed file storage), room for
// it is reserved in the target, and only then is the target overwritten.
// That path keeps the target's identity and refuses nothing a plain rewrite
// would write; a save killed during the final copy leaves the whole new
// content in the temporary folder, named at the next start.
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
  // through), as does a new target in a directory whose mode bits deny
  // writing. A symbolic link is followed: the file it names is replaced, the
  // link stays. Throws ReplaceFailure.
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
  // Flushes the new file to disk, gives it the old file's owner, group and
  // permissions (or 0666 less the umask for a new one) and puts it in the
  // target's place. Throws ReplaceFailure (kWrite); the target is then
  // unchanged, except in place where a failure of the final copy may leave
  // it partly written.
  void Commit();

  // Whether the new content is written over the target itself.
  bool in_place() const { return in_place_; }

private:
  void Discard();
  void StopDirect();
  bool CreateUnnamed(const std::string& directory);
  void CreateNamed(const std::string& directory);
  void PrepareInPlace();
  void CommitInPlace();
  void LinkIntoPlace();

  std::string target_;
  std::string temp_path_; // the new file's name while it has one
  int temp_fd_ = -1;
  int target_fd_ = -1; // holds the lock on an existing target
  long long written_ = 0;
  bool direct_ = false;
  bool unnamed_ = false;  // made with O_TMPFILE, linked in by Commit
  bool in_place_ = false; // the content goes over the target itself
  unsigned mode_ = 0;
  bool set_owner_ = false;
  unsigned owner_ = 0;
  unsigned group_ = 0;
};

} // namespace platform
