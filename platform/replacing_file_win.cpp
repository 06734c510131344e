#include "platform/replacing_file.h"

#include "platform/directory.h"
#include "platform/win_path.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <vector>

// The same promise as on Linux with the system's own means: the new content
// goes to a hidden file beside the target that the system deletes if the
// process dies (a delete disposition, cleared only at the end), and
// ReplaceFileW puts it in the target's place keeping the target's
// attributes and security; a target held by another program is refused
// with error 32 before anything is written.

namespace platform {

namespace {

[[noreturn]] void Fail(ReplaceFailure::Stage stage, int error) {
  throw ReplaceFailure{stage, error};
}

HANDLE HandleOf(int fd) {
  return fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

int DescriptorOf(HANDLE handle) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  if (fd < 0) {
    ::CloseHandle(handle);
    Fail(ReplaceFailure::kCreate, ERROR_TOO_MANY_OPEN_FILES);
  }
  return fd;
}

bool SetDeleteOnClose(HANDLE handle, bool on) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = on ? TRUE : FALSE;
  return ::SetFileInformationByHandle(handle, FileDispositionInfo, &disposition,
                                      sizeof disposition);
}

std::string BareName(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsHeldElsewhere(int error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

void WriteAll(HANDLE handle, const char* data, std::size_t size) {
  while (size > 0) {
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(handle, data, ask, &put, nullptr))
      Fail(ReplaceFailure::kWrite, win::LastError());
    if (put == 0)
      Fail(ReplaceFailure::kWrite, ERROR_DISK_FULL);
    data += put;
    size -= put;
  }
}

} // namespace

ReplacingFile::ReplacingFile(const std::string& path) : target_(AbsoluteName(path)) {
  const std::wstring target = win::SystemPath(target_);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (!exists) {
    const int error = win::LastError();
    if (error != ERROR_FILE_NOT_FOUND)
      Fail(ReplaceFailure::kCreate, error);
  } else {
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
      Fail(ReplaceFailure::kCreate, ERROR_ACCESS_DENIED);
    // Held for writing, others allowed to read, until the new content
    // replaces it: a program that holds it open is refused here.
    const HANDLE held = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
      const int error = win::LastError();
      Fail(IsHeldElsewhere(error) ? ReplaceFailure::kLocked : ReplaceFailure::kCreate, error);
    }
    if (::GetFileType(held) != FILE_TYPE_DISK) {
      ::CloseHandle(held);
      Fail(ReplaceFailure::kCreate, ERROR_ACCESS_DENIED);
    }
    target_fd_ = DescriptorOf(held);
    set_owner_ = true; // ReplaceFileW keeps what the target had
  }
  try {
    CreateNamed(DirectoryOf(target_));
  } catch (const ReplaceFailure& failure) {
    // A folder that takes no new file, around a file that may be written.
    if (!exists || failure.error != ERROR_ACCESS_DENIED) {
      Discard();
      throw;
    }
    in_place_ = true;
    PrepareInPlace();
  }
}

void ReplacingFile::CreateNamed(const std::string& directory) {
  const std::string prefix =
      JoinPath(directory, "." + BareName(target_).substr(0, 200) + ".kleitab-");
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 16) ^
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this));
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = prefix;
    for (int i = 0; i < 6; ++i) {
      seed = seed * 1103515245u + 12345u + static_cast<unsigned>(attempt);
      name.push_back(kLetters[(seed >> 16) % (sizeof kLetters - 1)]);
    }
    const HANDLE file = ::CreateFileW(win::SystemPath(name).c_str(), GENERIC_WRITE | DELETE, 0,
                                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const int error = win::LastError();
      if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        continue;
      Fail(ReplaceFailure::kCreate, error);
    }
    temp_path_ = name;
    // A process killed before Commit leaves nothing behind: the system
    // deletes the file when its last handle closes.
    unnamed_ = SetDeleteOnClose(file, true);
    temp_fd_ = DescriptorOf(file);
    return;
  }
  Fail(ReplaceFailure::kCreate, ERROR_FILE_EXISTS);
}

bool ReplacingFile::CreateUnnamed(const std::string&) {
  return false;
}

void ReplacingFile::PrepareInPlace() {
  // The new content is kept whole in the user's temporary folder until it
  // is copied over the target.
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH, folder);
  if (n == 0 || n > MAX_PATH) {
    const int error = win::LastError();
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
  wchar_t name[MAX_PATH + 1] = {};
  if (!::GetTempFileNameW(folder, L"klt", 0, name)) {
    const int error = win::LastError();
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
  const HANDLE file = ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                    TRUNCATE_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const int error = win::LastError();
    ::DeleteFileW(name);
    Discard();
    Fail(ReplaceFailure::kCreate, error);
  }
  temp_fd_ = DescriptorOf(file);
}

void ReplacingFile::StopDirect() {
  direct_ = false;
}

ReplacingFile::~ReplacingFile() {
  Discard();
}

void ReplacingFile::Discard() {
  if (temp_fd_ >= 0) {
    ::_close(temp_fd_);
    temp_fd_ = -1;
  }
  if (!temp_path_.empty()) {
    if (!unnamed_) // without a delete disposition the name is removed by hand
      ::DeleteFileW(win::SystemPath(temp_path_).c_str());
    temp_path_.clear();
  }
  if (target_fd_ >= 0) {
    ::_close(target_fd_);
    target_fd_ = -1;
  }
}

void ReplacingFile::Write(const char* data, std::size_t size) {
  WriteAll(HandleOf(temp_fd_), data, size);
  written_ += static_cast<long long>(size);
}

void ReplacingFile::Commit() {
  if (in_place_) {
    CommitInPlace();
    return;
  }
  const HANDLE temp = HandleOf(temp_fd_);
  if (!::FlushFileBuffers(temp))
    Fail(ReplaceFailure::kWrite, win::LastError());
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = FILE_ATTRIBUTE_ARCHIVE; // no longer hidden
  ::SetFileInformationByHandle(temp, FileBasicInfo, &basic, sizeof basic);
  if (unnamed_ && !SetDeleteOnClose(temp, false))
    Fail(ReplaceFailure::kWrite, win::LastError());
  unnamed_ = false; // from here on a failure removes the name by hand
  ::_close(temp_fd_);
  temp_fd_ = -1;
  LinkIntoPlace();
  temp_path_.clear();
  Discard();
}

void ReplacingFile::LinkIntoPlace() {
  const std::wstring target = win::SystemPath(target_);
  const std::wstring temp = win::SystemPath(temp_path_);
  if (target_fd_ >= 0) {
    ::_close(target_fd_); // ReplaceFileW opens the target itself
    target_fd_ = -1;
    if (::ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                       REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                       nullptr))
      return;
    const int error = win::LastError();
    // A file system without ReplaceFileW's means still renames.
    if (IsHeldElsewhere(error) || error == ERROR_ACCESS_DENIED)
      Fail(ReplaceFailure::kWrite, error);
  }
  if (!::MoveFileExW(temp.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    Fail(ReplaceFailure::kWrite, win::LastError());
}

void ReplacingFile::CommitInPlace() {
  const HANDLE from = HandleOf(temp_fd_);
  const HANDLE to = HandleOf(target_fd_);
  LARGE_INTEGER start{};
  if (!::SetFilePointerEx(from, start, nullptr, FILE_BEGIN) ||
      !::SetFilePointerEx(to, start, nullptr, FILE_BEGIN))
    Fail(ReplaceFailure::kWrite, win::LastError());
  std::vector<char> buffer(1 << 20);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      Fail(ReplaceFailure::kWrite, win::LastError());
    if (got == 0)
      break;
    WriteAll(to, buffer.data(), got);
  }
  if (!::SetEndOfFile(to) || !::FlushFileBuffers(to))
    Fail(ReplaceFailure::kWrite, win::LastError());
  Discard();
}

} // namespace platform
