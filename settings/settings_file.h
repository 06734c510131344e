#pragma once
// Reading and writing init.ini as a whole.

#include "settings/settings_values.h"

#include <optional>
#include <string>
#include <string_view>

namespace settings {

// The text of a settings file, up to its first NUL byte.
class SettingsText {
public:
  explicit SettingsText(std::string_view bytes);

  // The rest of the first line that holds "=" and whose text before its
  // first "=" equals `name`, letter case ignored (Latin and Cyrillic letters
  // of Windows-1251); the empty text when no line matches. Lines end at CR,
  // LF or CR LF.
  std::string Value(std::string_view name) const;
  // The same, but nothing when no line matches.
  std::optional<std::string> ValueIfPresent(std::string_view name) const;

  // Every value at once; a missing name empties its text or unticks its box.
  SettingsValues Values() const;

private:
  std::string text_;
};

// The settings file at `path`, or nothing when no file of that name exists
// (a directory, FIFO, device or socket of that name does not count, and is
// never waited on): the widgets then keep their start values. A file that exists but cannot be read
// throws platform::Error "Cannot open file "<path>". <system's description>".
std::optional<SettingsText> ReadSettingsFile(const std::string& path);

// Rewrites the file with FormatSettings(values), replacing it only when the
// new text is complete. Throws platform::Error: "Cannot create file "<path>".
// <system's description>" when the file cannot be created or replaced (a
// read-only file or directory, another process holding it locked), "Stream
// write error" when writing fails; the earlier file then stays as it was.
void StoreSettingsFile(const std::string& path, const SettingsValues& values);

} // namespace settings
