#pragma once
// The new content of a save written in place is kept whole in the user's
// temporary folder until the target holds all of it, so that a save killed
// while it overwrote the target loses nothing: the content stays there,
// with the target's full name in a second file beside it
// ("kleitab-save-XXXXXX" and "kleitab-save-XXXXXX.target"), and the next
// start of the program names both (LeftContents).

#include <string>
#include <vector>

namespace platform {

// The user's folder for temporary files: $TMPDIR when it names a directory,
// else /tmp.
std::string TemporaryFolder();

// Creates the file for a content, locked while this process holds it open;
// its name goes to `path`. -1 with errno when the folder takes none.
int CreateKeptContent(std::string& path);
// Records, durably, that the file holds the whole new content of `target`,
// before the target is overwritten. Returns 0 or an errno value.
int MarkKeptContentComplete(int fd, const std::string& path, const std::string& target);
// Removes the content and the target's name beside it.
void RemoveKeptContent(const std::string& path);

// A whole content a killed save left behind, and the file it was meant for.
struct LeftContent {
  std::string content;
  std::string target;
};
// What killed in-place saves of this user left in the temporary folder
// (files no running save holds); a content left incomplete (the target was
// never touched then) is removed.
std::vector<LeftContent> LeftContents();
// What the user is told of one (UTF-8, the names as the file system's bytes).
std::string LeftContentMessage(const LeftContent& left);

} // namespace platform
