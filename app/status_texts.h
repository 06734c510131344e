#pragma once
// The texts of the status line under the pages: the table's size, the file
// just saved, and a collect that was cancelled part way.

#include <QString>

#include <cstdint>

namespace app {

// "6 354 514": digits grouped as Russian text groups them.
QString NumberText(std::int64_t n);
// "1 строка", "3 строки", "5 строк": the noun in the form a Russian number
// asks for.
QString CountText(std::int64_t n, const QString& one, const QString& few, const QString& many);

// "Таблица: 120 строк × 3 столбца".
QString TableSizeText(std::int64_t rows, std::int64_t columns);
// "12,4 МБ", "800 байт": sizes in units of 1024.
QString DataSizeText(std::int64_t bytes);
// "Сохранено: /home/user/1.csv (12,4 МБ)".
QString SavedText(const QString& full_name, std::int64_t bytes);
// A collect cancelled after `done` of `files` ticked files were read whole
// (files < 0: not known); `partial` names the file it stopped in, if any.
QString CancelledText(std::int32_t done, std::int32_t files, const QString& partial);
// A collect an error stopped in the file `failed` after `done` of `files`
// ticked files were placed whole (files < 0: not known).
QString StoppedText(std::int32_t done, std::int32_t files, const QString& failed);
// A save cancelled before it replaced `full_name`: the file is as it was
// (or, when there was none, still none).
QString SaveCancelledText(const QString& full_name, bool existed);

} // namespace app
