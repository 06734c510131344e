#include "platform/error_advice.h"

#include "platform/error_message.h"

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr const char kIoError[] = "I/O error ";
constexpr int kSharingViolation = 32; // a lock held by another program, on every system

struct Advice {
  const char* message;
  const char* sentence;
};

// The messages the program shows, each with its sentence.
constexpr Advice kAdvice[] = {
    {"File not found", "Файл не найден — возможно, его удалили или переименовали."},
    {"Too many open files",
     "Открыто слишком много файлов — закройте другие программы и повторите."},
    {"File access denied",
     "Нет доступа к файлу — проверьте права на него и на папку или выберите другую папку."},
    {"Read beyond end of file",
     "Файл оказался короче, чем ожидалось, — возможно, его меняет другая программа."},
    {"Disk full", "Недостаточно места на диске."},
    {"Invalid numeric input", "Ожидалось число."},
    {kOutOfMemory, "Недостаточно памяти — закройте другие программы или соберите меньше файлов."},
    {"Stream write error", "Файл настроек записан не до конца — проверьте место на диске."},
};

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

std::string ErrorAdvice(const std::string& message, const std::string& file, int system_error) {
  for (const Advice& advice : kAdvice)
    if (message == advice.message)
      return advice.sentence;
  if (message == "Invalid filename")
    return file.empty() ? "Имя файла не задано." : "Папка не существует.";
  if (StartsWith(message, "Cannot open file "))
    return "Файл настроек не открыть — проверьте права на папку, из которой запущена программа.";
  if (StartsWith(message, "Cannot create file "))
    return "Файл не создать — проверьте права на папку и место на диске.";
  if (StartsWith(message, kIoError)) {
    const int number = std::atoi(message.c_str() + sizeof kIoError - 1);
    if (number == kSharingViolation)
      return "Файл открыт другой программой — закройте его и повторите.";
    return SystemErrorAdvice(system_error != 0 ? system_error : number);
  }
  return {};
}

} // namespace platform
