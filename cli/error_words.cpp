#include "cli/error_words.h"

#include "platform/directory.h"
#include "platform/file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

constexpr const char kIoError[] = "I/O error ";
constexpr int kSharingViolation = 32; // says itself what it is: a lock held elsewhere

// The system's reason, in the words of the program's other messages.
std::string Reason(int error) {
  switch (error) {
  case ENOSPC:
    return "на диске нет места";
#ifdef EDQUOT
  case EDQUOT:
    return "исчерпана дисковая квота";
#endif
  case EFBIG:
    return "файл больше, чем допускает файловая система";
#ifdef ELOOP
  case ELOOP:
    return "символические ссылки образуют петлю";
#endif
  case EIO:
    return "ошибка устройства";
  case EPIPE:
    return "читающая сторона закрыла канал";
  case EBADF:
    return "файл закрыт";
  case EINVAL:
    return "файл не принимает такую запись";
  default:
    return std::strerror(error);
  }
}

// What the named thing is, where it is not the file that was wanted.
std::string KindOf(const std::string& file) {
  if (file.empty() || file == "-")
    return {};
  switch (platform::StatusOf(file).kind) {
  case platform::PathStatus::kMissing: {
    // The folder it was to be in is missing (or is no folder).
    const std::string folder = platform::DirectoryOf(file);
    if (!folder.empty() && platform::StatusOf(folder).kind != platform::PathStatus::kDirectory)
      return "папки «" + folder + "» нет";
    return {};
  }
  case platform::PathStatus::kDirectory:
    return "это каталог, а не файл";
  case platform::PathStatus::kOther:
    return "это не обычный файл, а канал, устройство или сокет";
  default:
    return {};
  }
}

std::string Detail(const std::string& message, const std::string& file, int system_error) {
  if (message.rfind(kIoError, 0) == 0) {
    const int number = std::atoi(message.c_str() + sizeof kIoError - 1);
    if (number == kSharingViolation)
      return {};
    return Reason(system_error != 0 ? system_error : number);
  }
  if (message == "File access denied" || message == "Invalid filename" ||
      message == "File not found")
    return KindOf(file);
  return {};
}

} // namespace

std::string ErrorSentence(const std::string& message, const std::string& file, int system_error) {
  std::string sentence = message;
  const std::string detail = Detail(message, file, system_error);
  if (!detail.empty())
    sentence += " (" + detail + ")";
  // A sentence ends with a full stop, as in the error box.
  if (!sentence.empty() && (static_cast<unsigned char>(sentence.back()) > '.' || !detail.empty()))
    sentence += '.';
  return sentence;
}

} // namespace cli
