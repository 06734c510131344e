#include "app/directory_model.h"

#include "platform/directory.h"
#include "platform/errors.h"

namespace app {

DirectoryModel::DirectoryModel() {
  try {
    shown_ = platform::CurrentDirectory();
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
  // The shown directory may have been removed meanwhile, taking the current
  // directory with it; that must not keep the user from leaving it.
  std::string before = shown_;
  try {
    before = platform::CurrentDirectory();
  } catch (const platform::Error&) {
  }
  platform::EnterDirectory(path); // throws, leaving everything as it was
  Change change;
  std::string now;
  std::vector<std::string> files;
  try {
    now = platform::CurrentDirectory();
    change.subdirectories = platform::ListSubdirectories(now);
    change.files = now != files_directory_ || !files_read_;
    if (change.files)
      files = platform::ListCsvFiles(now);
  } catch (...) {
    // A directory that can be entered but not read: put the current
    // directory back and keep every list as it was.
    try {
      platform::EnterDirectory(before);
    } catch (const platform::Error&) {
    }
    throw;
  }
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
  const std::optional<platform::FileIdentity> output = platform::IdentityOf(output_name_());
  if (!output)
    return indexes; // not written yet, so not listed either
  for (int i = 0; i < static_cast<int>(files_.size()); ++i) {
    if (platform::IdentityOf(FullPathOf(i)) == output)
      indexes.push_back(i);
  }
  return indexes;
}

} // namespace app
