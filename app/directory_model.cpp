#include "app/directory_model.h"

#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/same_file.h"
#include "platform/working_directory.h"

namespace app {

DirectoryModel::DirectoryModel() {
  try {
    shown_ = platform::WorkingDirectory::Path();
  } catch (const platform::Error&) {
    shown_ = "/";
  }
  files_directory_ = shown_;
  ShowOnVolume();
}

void DirectoryModel::ShowOnVolume() {
  volume_ = platform::VolumeRootOf(shown_);
  last_directory_[volume_] = shown_;
}

std::vector<std::string> DirectoryModel::ShownSubdirectories() const {
  try {
    return platform::ListSubdirectories(shown_);
  } catch (const platform::Error&) {
    return {};
  }
}

DirectoryModel::Change DirectoryModel::Enter(const std::string& path) {
  Change change;
  std::vector<std::string> files;
  // A directory that can be entered but not read: the process goes back and
  // every list stays as it was. When the shown directory was removed
  // meanwhile, taking the current directory with it, the user can still
  // leave it.
  const std::string now =
      platform::WorkingDirectory::EnterToRead(path, shown_, [&](const std::string& entered) {
        change.subdirectories = platform::ListSubdirectories(entered);
        change.files = entered != files_directory_ || !files_read_;
        if (change.files)
          files = platform::ListCsvFiles(entered);
      });
  // The same directory under another spelling ("/data/", "/data/."): the
  // lists stay as they are.
  change.shown = now != shown_;
  if (change.shown) {
    shown_ = now;
    ShowOnVolume();
  }
  if (change.files) {
    files_directory_ = now;
    files_ = std::move(files);
    files_read_ = true;
  }
  return change;
}

std::optional<std::string> DirectoryModel::PickVolume(const std::string& root) {
  if (root.empty() || root == volume_)
    return std::nullopt;
  // The picked volume stays picked even when it cannot be entered; picking
  // it again then does nothing until another was picked.
  volume_ = root;
  const auto last = last_directory_.find(root);
  return last != last_directory_.end() ? last->second : root;
}

const std::vector<std::string>& DirectoryModel::Files() {
  if (!files_read_) {
    files_ = platform::ListCsvFiles(files_directory_);
    files_read_ = true;
  }
  return files_;
}

std::string DirectoryModel::FullPathOf(int index) const {
  if (index < 0 || index >= static_cast<int>(files_.size()))
    return {};
  return platform::JoinPath(files_directory_, files_[static_cast<std::size_t>(index)]);
}

std::vector<int> DirectoryModel::OutputIndexes() const {
  std::vector<int> indexes;
  if (!output_name_)
    return indexes;
  const std::string output = output_name_();
  if (!platform::IdentityOf(output))
    return indexes; // not written yet, so not listed either
  std::vector<std::string> paths;
  paths.reserve(files_.size());
  for (int i = 0; i < static_cast<int>(files_.size()); ++i)
    paths.push_back(FullPathOf(i));
  for (std::size_t index : platform::PathsNamingFile(paths, output))
    indexes.push_back(static_cast<int>(index));
  return indexes;
}

} // namespace app
