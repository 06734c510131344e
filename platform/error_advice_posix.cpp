#include "platform/error_advice.h"

#include <cerrno>

namespace platform {

std::string SystemErrorAdvice(int number) {
  switch (number) {
  case ENOSPC:
    return "Недостаточно места на диске.";
#ifdef EDQUOT
  case EDQUOT:
    return "Исчерпана дисковая квота — удалите ненужные файлы или выберите другой диск.";
#endif
  case EFBIG:
    return "Файл больше, чем допускает файловая система, — выберите другой диск.";
  case EIO:
    return "Ошибка устройства — проверьте диск или носитель.";
  case EROFS:
    return "Диск доступен только для чтения — выберите другую папку.";
  default:
    return {};
  }
}

} // namespace platform
