#include "app/encoding_notice.h"
#include "platform/file_name_text.h"

#include <QFile>

namespace app {

namespace {

QString FileName(const std::string& path) {
  return platform::FileNameText(path);
}

} // namespace

QString CollectEncodingNotice(const merge::EncodingReport& report) {
  QStringList parts;
  if (report.invalid_utf8_files > 0)
    parts << QStringLiteral("Файлов не в кодировке UTF-8: %1. Их байты взяты как есть; первый "
                            "из них: %2")
                 .arg(report.invalid_utf8_files)
                 .arg(FileName(report.first_invalid_file));
  if (report.replaced_characters > 0)
    parts << QStringLiteral("Символов, которых нет в кодировке таблицы Windows-1251: %1; они "
                            "заменены на «?». Первый из них в файле %2. Чтобы собрать файлы в "
                            "UTF-8, очистите таблицу перед сбором.")
                 .arg(report.replaced_characters)
                 .arg(FileName(report.first_replaced_file));
  return parts.join(QStringLiteral("\n\n"));
}

QString SaveEncodingNotice(const exporter::SaveReport& report) {
  if (report.replaced_characters == 0)
    return QString();
  return QStringLiteral("Символов, которых нет в кодировке Windows-1251: %1; в файл они записаны "
                        "как «?». Первый из них: строка %2, столбец %3.")
      .arg(report.replaced_characters)
      .arg(report.first_replaced_row + 1)
      .arg(report.first_replaced_col + 1);
}

} // namespace app
