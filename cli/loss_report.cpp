#include "cli/loss_report.h"

#include "export/utf8_table_cells.h"
#include "merge/result_table.h"

namespace cli {

std::vector<std::string> CollectLosses(const merge::EncodingReport& encoding,
                                       const merge::CollectSummary& summary,
                                       const std::vector<std::string>& cut_files) {
  std::vector<std::string> lines;
  if (encoding.invalid_utf8_files > 0)
    lines.push_back("файлов не в кодировке UTF-8: " + std::to_string(encoding.invalid_utf8_files) +
                    ", их байты взяты как есть; первый из них: " + encoding.first_invalid_file);
  if (encoding.replaced_characters > 0)
    lines.push_back("символов, которых нет в кодировке таблицы Windows-1251: " +
                    std::to_string(encoding.replaced_characters) +
                    ", они заменены на «?»; первый из них в файле " + encoding.first_replaced_file);
  if (summary.files_with_open_quote > 0)
    lines.push_back("файлов, где кавычка не закрыта до конца файла: " +
                    std::to_string(summary.files_with_open_quote));
  if (!cut_files.empty())
    lines.push_back("файлов, где байт 26 закончил данные раньше конца файла (остальное не "
                    "прочитано): " +
                    std::to_string(cut_files.size()) + "; первый из них: " + cut_files.front());
  return lines;
}

std::vector<std::string> SaveLosses(const exporter::SaveReport& report) {
  std::vector<std::string> lines;
  if (report.repaired_sequences > 0)
    lines.push_back("мест не в кодировке UTF-8: " + std::to_string(report.repaired_sequences) +
                    ", в файл они записаны как U+FFFD");
  if (report.replaced_characters == 0)
    return lines;
  lines.push_back("символов, которых нет в кодировке Windows-1251: " +
                  std::to_string(report.replaced_characters) +
                  ", в файл они записаны как «?»; первый из них: строка " +
                  std::to_string(report.first_replaced_row + 1) + ", столбец " +
                  std::to_string(report.first_replaced_col + 1));
  return lines;
}

exporter::SaveReport DrySaveReport(const merge::ResultTable& table,
                                   const exporter::SaveOptions& options) {
  exporter::SaveReport report;
  // Only a UTF-8 table saved into Windows-1251 can lose characters.
  if (table.Encoding() != merge::TextEncoding::kUtf8 || options.utf8)
    return report;
  exporter::Utf8TableCells cells(options.delimiter, options.escape, false, &report);
  for (std::int32_t row = 0; row < table.RowCount(); ++row)
    table.ForEachCellInRow(row, 0, table.ColCount(), [&](std::int32_t col, std::string_view text) {
      cells.Prepare(text, col, row);
    });
  return report;
}

} // namespace cli
