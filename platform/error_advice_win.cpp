#include "platform/error_advice.h"

namespace platform {

// Windows' own error numbers (winerror.h).
std::string SystemErrorAdvice(int number) {
  switch (number) {
  case 33: // ERROR_LOCK_VIOLATION
    return "Часть файла заблокирована другой программой — закройте её и повторите.";
  case 39:  // ERROR_HANDLE_DISK_FULL
  case 112: // ERROR_DISK_FULL
    return "Недостаточно места на диске.";
  case 19: // ERROR_WRITE_PROTECT
    return "Диск защищён от записи — выберите другую папку.";
  case 21: // ERROR_NOT_READY
    return "Устройство не готово — вставьте носитель или проверьте диск.";
  case 53: // ERROR_BAD_NETPATH
  case 67: // ERROR_BAD_NET_NAME
    return "Сетевая папка недоступна — проверьте подключение.";
  case 123: // ERROR_INVALID_NAME
    return "В имени файла есть недопустимые знаки.";
  default:
    return {};
  }
}

} // namespace platform
