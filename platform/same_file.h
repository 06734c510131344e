#pragma once
// Which of some paths name one given file (through a link too): how the
// output is left out of the sources, in the window's check list and on the
// command line alike.

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The indexes of `paths` that name the file `file` names, in order; none
// when `file` names nothing (an output not written yet).
std::vector<std::size_t> PathsNamingFile(const std::vector<std::string>& paths,
                                         const std::string& file);

} // namespace platform
