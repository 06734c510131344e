#include "cli/standard_input.h"

#include "platform/errors.h"

#include <QFile>

namespace cli {

StandardInputCopy::StandardInputCopy(std::FILE* in) {
  if (!dir_.isValid())
    throw platform::Error("Нет места для копии стандартного ввода", "-");
  path_ = dir_.filePath(QStringLiteral("-")).toStdString();
  QFile copy(QString::fromStdString(path_));
  if (!copy.open(QIODevice::WriteOnly))
    throw platform::Error(copy.errorString().toStdString(), path_);
  char buffer[1 << 16];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
    if (copy.write(buffer, static_cast<qint64>(n)) != static_cast<qint64>(n))
      throw platform::Error(copy.errorString().toStdString(), path_);
  }
  if (std::ferror(in))
    throw platform::Error("Стандартный ввод не прочитан", "-");
  if (!copy.flush())
    throw platform::Error(copy.errorString().toStdString(), path_);
}

} // namespace cli
