#pragma once
// The command line of a run without the window: what it says, read from the
// arguments and, when asked, from an init.ini (flags win).

#include "export/save_table.h"
#include "merge/collect.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// A command line that cannot be understood: exit status 2.
class UsageError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

struct BatchOptions {
  enum class Action { kMerge, kHelp, kVersion };
  Action action = Action::kMerge;

  merge::CollectOptions collect; // texts in Windows-1251, as the window hands them down
  exporter::SaveOptions save;

  std::string output;             // the file system's name; "-" is standard output
  std::string directory;          // empty: the current directory
  std::vector<std::string> files; // given sources, in the order given
  std::string settings_file;      // --settings; empty: init.ini is not touched
  bool quiet = false;             // no progress, and nothing said of what was lost
  bool strict = false;            // anything lost is an error: nothing written
  bool in_memory = false;         // stacked merges through the table rather than streamed
  // What the arguments left doubtful but the window would take as well
  // (said on standard error unless quiet).
  std::vector<std::string> warnings;

  bool ToStandardOutput() const { return output == "-"; }
};

// Reads the arguments (argv[1] on). Throws UsageError. With --settings the
// file's values are the defaults the flags then override; its errors are
// platform::Error.
BatchOptions ParseArguments(const std::vector<std::string>& args);

// The help text (UTF-8).
std::string HelpText();
std::string VersionText();

} // namespace cli
