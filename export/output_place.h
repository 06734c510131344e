#pragma once

#include <string>

namespace exporter {

// Where saved lines go: a file, replaced only when its new content is
// complete, or the process's standard output (the command line's "-o -").
struct OutputPlace {
  std::string file_name; // the file system's name, absolute or relative
  bool standard_output = false;
};

} // namespace exporter
