#include "platform/directory.h"

#include "platform/errors.h"
#include "platform/win_path.h"

#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <cwctype>
#include <memory>

namespace platform {

namespace {

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

bool EndsWithCsv(const std::wstring& name) {
  return name.size() >= 4 && ::_wcsicmp(name.c_str() + name.size() - 4, L".csv") == 0;
}

// Hidden and system entries are not shown, whatever their names.
bool IsShown(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

bool IsDirectoryEntry(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

template <typename Keep> std::vector<std::string> ListEntries(const std::string& dir, Keep keep) {
  WIN32_FIND_DATAW entry{};
  // Each name is matched here, not by the system's mask: "*.csv" would also
  // match a longer extension through its short 8.3 name.
  const HANDLE find =
      ::FindFirstFileExW(win::SystemPath(JoinPath(dir, "*")).c_str(), FindExInfoBasic, &entry,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) {
    const int error = win::LastError();
    if (error == ERROR_FILE_NOT_FOUND) // an empty root has not even "."
      return {};
    ThrowFileErrorFromErrno(error, dir);
  }
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> closer(find, ::FindClose);
  std::vector<std::string> names;
  do {
    const std::wstring name = entry.cFileName;
    if (name != L"." && name != L".." && IsShown(entry) && keep(entry))
      names.push_back(win::Narrow(name));
  } while (::FindNextFileW(find, &entry));
  if (const int error = win::LastError(); error != ERROR_NO_MORE_FILES)
    ThrowFileErrorFromErrno(error, dir);
  SortNamesForDisplay(names);
  return names;
}

std::string Lower(const std::wstring& text) {
  std::wstring lower = text;
  ::CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
  return win::Narrow(lower);
}

// What the drive selector shows: a removable drive its letter; a fixed, CD
// or RAM drive its letter and its label in brackets; a network drive its
// letter and the resource it is connected to. All in lower case.
std::string DriveCaption(const std::wstring& root, UINT type) {
  const std::wstring letter = root.substr(0, 2);
  if (type == DRIVE_REMOVABLE)
    return Lower(letter);
  if (type == DRIVE_REMOTE) {
    wchar_t remote[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    if (::WNetGetConnectionW(letter.c_str(), remote, &size) == NO_ERROR)
      return Lower(letter + L" " + remote);
  }
  wchar_t label[MAX_PATH + 1] = {};
  ::GetVolumeInformationW(root.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
  return Lower(letter + L" [" + label + L"]");
}

} // namespace

std::string CurrentDirectory() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buffer(n, L'\0');
  const DWORD got = ::GetCurrentDirectoryW(n, buffer.data());
  if (got == 0 || got >= n)
    throw FileError::OtherSystemError(win::LastError());
  buffer.resize(got);
  if (buffer.rfind(L"\\\\?\\UNC\\", 0) == 0)
    buffer = L"\\\\" + buffer.substr(8);
  else if (buffer.rfind(L"\\\\?\\", 0) == 0)
    buffer = buffer.substr(4);
  return win::Narrow(buffer);
}

void EnterDirectory(const std::string& path) {
  if (!::SetCurrentDirectoryW(win::SystemPath(path).c_str()))
    ThrowFileErrorFromErrno(win::LastError(), path);
  // The system keeps each drive's current directory in a variable "=X:",
  // where the command prompt and a relative "X:name" find it.
  const std::string now = CurrentDirectory();
  if (now.size() >= 2 && now[1] == ':') {
    const std::wstring variable = L"=" + win::Widen(now.substr(0, 2));
    ::SetEnvironmentVariableW(variable.c_str(), win::Widen(now).c_str());
  }
}

std::string AbsoluteName(const std::string& name) {
  if (name.empty())
    return name;
  const std::wstring wide = win::SystemPath(name);
  const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(n, L'\0');
  const DWORD got = n == 0 ? 0 : ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
  if (got == 0 || got >= n)
    return name;
  full.resize(got);
  if (full.rfind(L"\\\\?\\", 0) == 0 && wide.rfind(L"\\\\?\\", 0) != 0)
    full = full.substr(4);
  return win::Narrow(full);
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(win::SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsAbsolutePath(const std::string& path) {
  return (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) ||
         (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]));
}

std::size_t BareNameStart(std::string_view path) {
  const auto slash = path.find_last_of("\\/");
  if (slash != std::string_view::npos)
    return slash + 1;
  return path.size() >= 2 && path[1] == ':' ? 2 : 0; // "C:name"
}

std::vector<std::string> PathFromRoot(const std::string& dir) {
  // The root: "C:\", or "\\server\share\" for a share.
  std::size_t root_end = 3;
  if (dir.size() >= 2 && IsSeparator(dir[0]) && IsSeparator(dir[1])) {
    const std::size_t server_end = dir.find_first_of("\\/", 2);
    const std::size_t share_end = server_end == std::string::npos
                                      ? std::string::npos
                                      : dir.find_first_of("\\/", server_end + 1);
    root_end = share_end == std::string::npos ? dir.size() : share_end + 1;
  }
  std::string root = dir.substr(0, std::min(root_end, dir.size()));
  if (root.empty() || !IsSeparator(root.back()))
    root += '\\';
  std::vector<std::string> steps{root};
  std::size_t start = root_end;
  while (start < dir.size()) {
    std::size_t slash = dir.find_first_of("\\/", start);
    if (slash == std::string::npos)
      slash = dir.size();
    if (slash > start)
      steps.push_back(dir.substr(0, slash));
    start = slash + 1;
  }
  return steps;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
  if (!dir.empty() && IsSeparator(dir.back()))
    return dir + name;
  return dir + "\\" + name;
}

std::string DirectoryOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  if (slash == std::string::npos)
    return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
  // A drive's root keeps its separator: "C:\".
  if (slash == 0 || (slash == 2 && path[1] == ':'))
    return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

std::vector<std::string> ListCsvFiles(const std::string& dir) {
  return ListEntries(dir, [](const WIN32_FIND_DATAW& e) {
    return !IsDirectoryEntry(e) && EndsWithCsv(e.cFileName);
  });
}

std::vector<std::string> ListSubdirectories(const std::string& dir) {
  return ListEntries(dir, [](const WIN32_FIND_DATAW& e) { return IsDirectoryEntry(e); });
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  if (path.empty())
    return std::nullopt;
  const HANDLE handle = ::CreateFileW(win::SystemPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = ::GetFileInformationByHandle(handle, &info);
  ::CloseHandle(handle);
  if (!known)
    return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) |
                          info.nFileIndexLow};
}

std::vector<Volume> MountedVolumes() {
  // No "insert a disk" box while labels are read.
  const UINT old_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::vector<Volume> volumes;
  const DWORD drives = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if ((drives & (1u << i)) == 0)
      continue;
    const std::wstring root = {static_cast<wchar_t>(L'A' + i), L':', L'\\'};
    const UINT type = ::GetDriveTypeW(root.c_str());
    if (type != DRIVE_REMOVABLE && type != DRIVE_FIXED && type != DRIVE_CDROM &&
        type != DRIVE_RAMDISK && type != DRIVE_REMOTE)
      continue;
    wchar_t label[MAX_PATH + 1] = {};
    ::GetVolumeInformationW(root.c_str(), label, MAX_PATH, nullptr, nullptr, nullptr, nullptr, 0);
    volumes.push_back({win::Narrow(root), win::Narrow(label), DriveCaption(root, type)});
  }
  ::SetErrorMode(old_mode);
  return volumes;
}

std::string VolumeRootOf(const std::string& path) {
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(win::SystemPath(AbsoluteName(path)).c_str(), root, MAX_PATH))
    return AbsoluteName(path).substr(0, 3);
  std::wstring text = root;
  if (text.rfind(L"\\\\?\\", 0) == 0)
    text = text.substr(4);
  // Drive letters as the drive selector lists them: upper case.
  if (text.size() >= 2 && text[1] == L':')
    text[0] = static_cast<wchar_t>(std::towupper(text[0]));
  return win::Narrow(text);
}

} // namespace platform
