#include "platform/file.h"

#include "platform/errors.h"
#include "platform/win_path.h"

#include <algorithm>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform {

namespace {

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool RegularFileAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

} // namespace

bool IsReadableCandidate(const std::string& path) {
  return !path.empty() &&
         RegularFileAttributes(::GetFileAttributesW(win::SystemPath(path).c_str()));
}

std::int64_t CandidateSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() ||
      !::GetFileAttributesExW(win::SystemPath(path).c_str(), GetFileExInfoStandard, &data) ||
      !RegularFileAttributes(data.dwFileAttributes))
    return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

PathStatus StatusOf(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(win::SystemPath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const int error = win::LastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME)
      return {PathStatus::kMissing, error};
    return {PathStatus::kUnreachable, error};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return {PathStatus::kDirectory, 0};
  return {RegularFileAttributes(attributes) ? PathStatus::kRegularFile : PathStatus::kOther, 0};
}

// The share mode given at open does the locking here: a reader lets others
// read only, so a writer elsewhere is refused with error 32 by the system.
bool TryLock(int, bool) {
  return true;
}

ReadOnlyFile::ReadOnlyFile(const std::string& path, Missing missing) : path_(path) {
  const HANDLE handle =
      path.empty() ? INVALID_HANDLE_VALUE
                   : ::CreateFileW(win::SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const int error = path.empty() ? static_cast<int>(ERROR_PATH_NOT_FOUND) : win::LastError();
    // A directory opens with "access denied": it is no file to read.
    if (missing == Missing::kNotAvailable && !IsReadableCandidate(path) &&
        error != ERROR_SHARING_VIOLATION)
      throw NotRegularFile();
    ThrowFileErrorFromErrno(error, path);
  }
  LARGE_INTEGER size{};
  if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileSizeEx(handle, &size)) {
    ::CloseHandle(handle);
    throw NotRegularFile();
  }
  size_hint_ = size.QuadPart;
  fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (fd_ < 0) {
    ::CloseHandle(handle);
    throw FileError(kTooManyOpenFiles, 0, path);
  }
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0)
    ::_close(fd_); // closes the handle too
}

std::size_t ReadOnlyFile::ReadRaw(void* buffer, std::size_t size) {
  if (at_end_)
    return 0;
  // One call reads at most 4 GiB less a page.
  const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(size, 0xFFFFF000u));
  DWORD got = 0;
  if (!::ReadFile(HandleOf(fd_), buffer, ask, &got, nullptr))
    ThrowFileErrorFromErrno(win::LastError(), path_);
  read_ += got;
  // As on every system: a short read exactly at the size the file had when
  // opened is its end.
  at_end_ = got > 0 && got < size && read_ == size_hint_;
  return got;
}

} // namespace platform
