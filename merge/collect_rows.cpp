#include "merge/collect_rows.h"

#include "merge/file_name_tag.h"
#include "platform/codepage.h"

namespace merge {
namespace collect_rows {

namespace {

// "Имя файла"
constexpr std::string_view kFileNameCaption = "\xC8\xEC\xFF \xF4\xE0\xE9\xEB\xE0";

bool RowHoldsNothing(const ResultTable& table, std::int32_t row) {
  bool empty = true;
  table.ForEachCellInRow(row, 0, INT32_MAX, [&](std::int32_t, std::string_view) { empty = false; });
  return empty;
}

} // namespace

bool IsFreshTable(const ResultTable& table) {
  return table.ColCount() == 2 && table.RowCount() == 2 && RowHoldsNothing(table, 0) &&
         RowHoldsNothing(table, 1);
}

std::string FileNameCaption(const ResultTable& table) {
  if (table.Encoding() == TextEncoding::kUtf8)
    return platform::Cp1251ToUtf8(kFileNameCaption);
  return std::string(kFileNameCaption);
}

NameCell FileNameCell(ResultTable& table, const std::string& path, const CollectOptions& options) {
  NameCell cell;
  if (!options.add_file_name)
    return cell;
  cell.added = true;
  const std::string tag = FileNameTag(path, options.name_only, table.Encoding());
  // An empty name (of a file called ".csv") is written like an empty field:
  // it clears its cell and stores nothing.
  if (!tag.empty())
    cell.text = table.InternText(tag);
  return cell;
}

NameCell CaptionCell(ResultTable& table, const NameCell& tag) {
  NameCell caption;
  if (tag.added) {
    caption.added = true;
    caption.text = table.InternText(FileNameCaption(table));
  }
  return caption;
}

void PlaceRow(ResultTable& table, std::int32_t row, std::int32_t start_column,
              const std::vector<std::string_view>& fields, std::int32_t n, const NameCell& name,
              std::vector<std::string_view>& with_empty_name) {
  if (name.added && !name.text) {
    with_empty_name.assign(fields.begin(), fields.begin() + n);
    with_empty_name.emplace_back();
    table.PlaceCells(row, start_column, with_empty_name.data(), with_empty_name.size(), nullptr);
    return;
  }
  table.PlaceCells(row, start_column, fields.data(), static_cast<std::size_t>(n),
                   name.text ? &*name.text : nullptr);
}

} // namespace collect_rows
} // namespace merge
