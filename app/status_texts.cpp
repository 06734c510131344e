#include "app/status_texts.h"

#include <QLocale>

namespace app {

namespace {

const QLocale& Russian() {
  static const QLocale locale(QLocale::Russian, QLocale::Russia);
  return locale;
}

} // namespace

QString NumberText(std::int64_t n) {
  return Russian().toString(qlonglong(n));
}

QString CountText(std::int64_t n, const QString& one, const QString& few, const QString& many) {
  const std::int64_t last_two = n % 100;
  const std::int64_t last = n % 10;
  const QString& noun = last == 1 && last_two != 11                                  ? one
                        : last >= 2 && last <= 4 && (last_two < 12 || last_two > 14) ? few
                                                                                     : many;
  return NumberText(n) + QLatin1Char(' ') + noun;
}

QString TableSizeText(std::int64_t rows, std::int64_t columns) {
  return QStringLiteral("Таблица: %1 × %2")
      .arg(CountText(rows, QStringLiteral("строка"), QStringLiteral("строки"),
                     QStringLiteral("строк")),
           CountText(columns, QStringLiteral("столбец"), QStringLiteral("столбца"),
                     QStringLiteral("столбцов")));
}

QString DataSizeText(std::int64_t bytes) {
  if (bytes < 1024)
    return CountText(bytes, QStringLiteral("байт"), QStringLiteral("байта"),
                     QStringLiteral("байт"));
  static const char* const kUnits[] = {"КБ", "МБ", "ГБ", "ТБ"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return Russian().toString(value, 'f', 1) + QLatin1Char(' ') + QString::fromUtf8(kUnits[unit]);
}

QString SavedText(const QString& full_name, std::int64_t bytes) {
  return QStringLiteral("Сохранено: %1 (%2)").arg(full_name, DataSizeText(bytes));
}

QString CancelledText(std::int32_t done, std::int32_t files, const QString& partial) {
  // Short enough for the window's width; the status line elides the rest.
  QString text = QStringLiteral("Сбор отменён: в таблице ");
  text += files >= 0 ? QStringLiteral("%1 из %2 файлов").arg(done).arg(files)
                     : QStringLiteral("часть файлов");
  if (!partial.isEmpty())
    text += QStringLiteral(" и начало «%1»").arg(partial);
  return text;
}

QString StoppedText(std::int32_t done, std::int32_t files, const QString& failed) {
  QString text = QStringLiteral("Сбор остановлен ошибкой в «%1»: в таблице ").arg(failed);
  text += files >= 0 ? QStringLiteral("%1 из %2 файлов").arg(done).arg(files)
                     : QStringLiteral("%1 файлов").arg(done);
  return text;
}

QString SaveCancelledText(const QString& full_name, bool existed) {
  return existed ? QStringLiteral("Сохранение отменено: %1 не изменён").arg(full_name)
                 : QStringLiteral("Сохранение отменено: %1 не записан").arg(full_name);
}

} // namespace app
