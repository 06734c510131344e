#include "merge/table_encoding.h"

#include "platform/codepage.h"
#include "platform/utf8.h"

#include <string>
#include <utility>
#include <vector>

namespace merge {

void FixTableEncoding(ResultTable& table, SourceEncoding option) {
  if (table.EncodingFixed())
    return;
  const TextEncoding encoding = TableEncodingFor(option);
  table.SetEncoding(encoding);
  if (encoding != TextEncoding::kUtf8)
    return;
  // Only the visible part can hold what was typed since the table was
  // last empty; ASCII stays as it is.
  std::vector<std::pair<std::int32_t, std::string>> converted;
  for (std::int32_t row = 0; row < table.RowCount(); ++row) {
    converted.clear();
    table.ForEachCellInRow(row, 0, table.ColCount(), [&](std::int32_t col, std::string_view text) {
      if (platform::ScanUtf8(text).non_ascii)
        converted.emplace_back(col, platform::Cp1251ToUtf8(text));
    });
    for (const auto& [col, text] : converted)
      table.SetCell(col, row, text);
  }
}

} // namespace merge
