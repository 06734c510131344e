#pragma once
// What the first page shows, without its widgets: the directory shown, the
// "*.csv" files of the file list, the volume it lies on and the last
// directory shown on each volume, and which listed file is the output.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace app {

class DirectoryModel {
public:
  // Starts on the process's current directory; on "/" when that was
  // removed meanwhile, the process staying where it is, so that nothing
  // named relative to it is written anywhere until a directory is entered.
  DirectoryModel();

  // The directory shown, a full path; "/" is the only one ending in "/".
  const std::string& Shown() const { return shown_; }
  // The root of the volume the shown directory lies on, or of the volume
  // picked last.
  const std::string& Volume() const { return volume_; }

  // What entering a directory changed.
  struct Change {
    bool shown = false; // the shown directory is another one
    std::vector<std::string> subdirectories;
    bool files = false; // the file list was read again
  };
  // Enters `path` and makes it the process's current directory. A path that
  // cannot be entered or read throws its file error and leaves everything
  // as it was (the current directory put back).
  Change Enter(const std::string& path);
  // The subdirectories of the shown directory; none when it cannot be read.
  std::vector<std::string> ShownSubdirectories() const;

  // A volume picked: the directory to enter there (the last one shown on
  // it, else its root), or nothing when it is the volume already picked.
  std::optional<std::string> PickVolume(const std::string& root);

  // The file list's names (file system bytes), read on first need.
  const std::vector<std::string>& Files();
  bool FilesRead() const { return files_read_; }
  // The full name of file `index`; empty when there is no such file.
  std::string FullPathOf(int index) const;

  // The output that saving would write (file system bytes, relative to the
  // current directory as saving takes it). Unset, nothing is the output.
  void SetOutputName(std::function<std::string()> output_name) {
    output_name_ = std::move(output_name);
  }
  // The indexes of the listed files that are the output (a link to it too).
  std::vector<int> OutputIndexes() const;

private:
  void ShowOnVolume();

  std::string shown_;
  std::string files_directory_; // the directory the file list was read from
  bool files_read_ = false;
  std::vector<std::string> files_;
  std::string volume_;
  std::map<std::string, std::string> last_directory_; // volume root -> last shown there
  std::function<std::string()> output_name_;
};

} // namespace app
