#include "platform/file_name_text.h"

#include <QFile>

namespace platform {

QString FileNameText(const std::string& name) {
#ifdef _WIN32
  return QString::fromStdString(name);
#else
  return QFile::decodeName(QByteArray::fromStdString(name));
#endif
}

std::string FileNameBytes(const QString& name) {
#ifdef _WIN32
  return name.toStdString();
#else
  return QFile::encodeName(name).toStdString();
#endif
}

} // namespace platform
