#pragma once
// File names between the program's bytes and Qt's text: the file system's
// bytes as they are on Linux, UTF-8 on Windows (where Qt's own 8-bit names
// would go through the ANSI code page and lose what it cannot hold).

#include <QString>

#include <string>

namespace platform {

QString FileNameText(const std::string& name);
std::string FileNameBytes(const QString& name);

} // namespace platform
