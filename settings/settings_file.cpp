#include "settings/settings_file.h"

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/replacing_file.h"

#include <QChar>

#include <array>
#include <cerrno>
#include <cstring>

namespace settings {

namespace {

// A file this large is no settings file the program wrote; reading stops
// there rather than filling memory.
constexpr std::size_t kMaxRead = std::size_t{64} << 20;

// The lower-case byte of every Windows-1251 byte, for comparing names.
const std::array<unsigned char, 256>& LowerCaseBytes() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> lower{};
    for (int b = 0; b < 256; ++b) {
      const char16_t lowered =
          QChar::toLower(platform::Cp1251ToUnicode(static_cast<unsigned char>(b)));
      const int back = platform::UnicodeToCp1251(lowered);
      lower[b] = static_cast<unsigned char>(back < 0 ? b : back);
    }
    return lower;
  }();
  return table;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  const auto& lower = LowerCaseBytes();
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])])
      return false;
  }
  return true;
}

// The system's description of an error, without trailing spaces, line
// breaks and full stops.
std::string Describe(int error) {
  std::string text = std::strerror(error);
  while (!text.empty() &&
         (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '.'))
    text.pop_back();
  return text;
}

[[noreturn]] void ThrowCannotOpen(const std::string& path, int error) {
  throw platform::Error("Cannot open file \"" + path + "\". " + Describe(error), path);
}

[[noreturn]] void ThrowCannotCreate(const std::string& path, int error) {
  throw platform::Error("Cannot create file \"" + path + "\". " + Describe(error), path);
}

// The file's bytes; nothing when what the path names is no regular file
// once opened (opened without waiting, so a FIFO cannot hold the start).
std::optional<std::string> ReadAll(const std::string& path) {
  std::string bytes;
  try {
    // Others may read meanwhile, but a writer holding its lock keeps us out.
    platform::ReadOnlyFile file(path);
    char buffer[65536];
    while (bytes.size() < kMaxRead) {
      const std::size_t n = file.Read(buffer, sizeof buffer);
      if (n == 0)
        break;
      bytes.append(buffer, n);
    }
  } catch (const platform::NotRegularFile&) {
    return std::nullopt;
  } catch (const platform::FileError& error) {
    ThrowCannotOpen(path, error.system_error());
  }
  return bytes;
}

} // namespace

SettingsText::SettingsText(std::string_view bytes) : text_(bytes.substr(0, bytes.find('\0'))) {}

std::string SettingsText::Value(std::string_view name) const {
  return ValueIfPresent(name).value_or(std::string());
}

std::optional<std::string> SettingsText::ValueIfPresent(std::string_view name) const {
  std::string_view rest = text_;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find_first_of("\r\n"), rest.size());
    const std::string_view line = rest.substr(0, end);
    const std::size_t equals = line.find('=');
    if (equals != std::string_view::npos && EqualIgnoringCase(line.substr(0, equals), name))
      return std::string(line.substr(equals + 1));
    rest.remove_prefix(end);
    if (rest.empty())
      break;
    // A line ends at CR, LF, or the pair CR LF.
    const bool cr = rest.front() == '\r';
    rest.remove_prefix(1);
    if (cr && !rest.empty() && rest.front() == '\n')
      rest.remove_prefix(1);
  }
  return std::nullopt;
}

SettingsValues SettingsText::Values() const {
  SettingsValues values;
  values.output_name = Value("Edit1");
  values.reading_delimiter = Value("Edit2");
  values.skip_text = Value("Edit3");
  values.add_file_name = IniTextToBool(Value("CheckBox1"));
  values.name_only = IniTextToBool(Value("CheckBox2"));
  values.open_after_save = IniTextToBool(Value("CheckBox3"));
  values.utf8_output = IniTextToBool(Value("CheckBox4"));
  values.escape_output = IniTextToBool(Value("CheckBox5"));
  values.skip_lines = IniTextToBool(Value("CheckBox6"));
  values.placement = Value("ComboBox1");
  values.writing_delimiter = Value("ComboBox2");
  values.directory = Value("direct");
  // A missing key, or a value that names no item, means the start value.
  if (const std::string encoding = Value(kSourceEncodingKey); !encoding.empty())
    values.source_encoding = encoding;
  values.bom = IniTextToBool(Value(kBomKey));
  values.quotes = IniTextToBool(Value(kQuotesKey));
  values.header = IniTextToBool(Value(kHeaderKey));
  values.match_headers = IniTextToBool(Value(kMatchHeadersKey));
  values.quote_output = IniTextToBool(Value(kQuoteOutputKey));
  values.numbering = IniTextToBool(Value(kNumberingKey));
  // An empty caption is one the user may want: only a missing key is the
  // start text.
  if (const std::optional<std::string> header = ValueIfPresent(kFileNameHeaderKey))
    values.file_name_header = *header;
  values.file_name_first = IniTextToBool(Value(kFileNameFirstKey));
  // The first missing number ends the list.
  for (int i = 1; i <= kRecentFolders; ++i) {
    std::string folder = Value(kRecentFolderKey + std::to_string(i));
    if (folder.empty())
      break;
    values.recent_folders.push_back(std::move(folder));
  }
  return values;
}

std::optional<SettingsText> ReadSettingsFile(const std::string& path) {
  const platform::PathStatus status = platform::StatusOf(path);
  if (status.kind == platform::PathStatus::kUnreachable)
    ThrowCannotOpen(path, status.error);
  // Nothing there, or a directory, a FIFO, a device or a socket of that
  // name: no settings file, the start values stay.
  if (status.kind != platform::PathStatus::kRegularFile)
    return std::nullopt;
  const std::optional<std::string> bytes = ReadAll(path);
  if (!bytes)
    return std::nullopt;
  return SettingsText(*bytes);
}

void StoreSettingsFile(const std::string& path, const SettingsValues& values) {
  const std::string text = FormatSettings(values);
  try {
    platform::ReplacingFile file(path);
    file.Write(text.data(), text.size());
    file.Commit();
  } catch (const platform::ReplaceFailure& failure) {
    if (failure.stage == platform::ReplaceFailure::kWrite)
      throw platform::Error("Stream write error", path);
    ThrowCannotCreate(path, failure.error);
  }
}

} // namespace settings
