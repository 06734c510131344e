#pragma once
// The process's current directory, which follows the first page: a relative
// name (the output's above all) counts from the directory shown there, or
// from the folder picked for the output since; the command line reaches its
// directory the same way. Every change of it goes through here.

#include <functional>
#include <string>

namespace platform {

class WorkingDirectory {
public:
  // Where the process is, an absolute path ("/" only for the root); the
  // file error when that directory was removed.
  static std::string Path();
  // Enters `path`; a path that cannot be entered throws its file error and
  // the process stays.
  static void Enter(const std::string& path);
  // Enters `path` and runs `read` on the absolute name it has there; when
  // that throws, the process goes back to where it was (to `if_gone` when
  // that directory was removed) and the error passes on. Returns the name.
  static std::string EnterToRead(const std::string& path, const std::string& if_gone,
                                 const std::function<void(const std::string&)>& read);
  // The absolute name `directory` has once entered; the process stays
  // where it is.
  static std::string Resolve(const std::string& directory);
};

} // namespace platform
