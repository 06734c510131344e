#include "merge/collect_rows.h"

#include "merge/file_name_tag.h"
#include "platform/codepage.h"

namespace merge {
namespace collect_rows {

namespace {

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

std::string FileNameCaption(const ResultTable& table, const CollectOptions& options) {
  if (table.Encoding() == TextEncoding::kUtf8)
    return platform::Cp1251ToUtf8(options.file_name_header);
  return options.file_name_header;
}

NameCell FileNameCell(ResultTable& table, const std::string& path, const CollectOptions& options) {
  NameCell cell;
  if (!options.add_file_name)
    return cell;
  cell.added = true;
  cell.first = options.file_name_first;
  cell.value = FileNameTag(path, options.name_only, table.Encoding());
  // An empty name (of a file called ".csv") is written like an empty field:
  // it clears its cell and stores nothing.
  if (!cell.value.empty() && !cell.first)
    cell.text = table.InternText(cell.value);
  return cell;
}

NameCell CaptionCell(ResultTable& table, const NameCell& tag, const CollectOptions& options) {
  NameCell caption;
  if (tag.added) {
    caption.added = true;
    caption.first = tag.first;
    caption.value = FileNameCaption(table, options);
    if (!caption.value.empty() && !caption.first)
      caption.text = table.InternText(caption.value);
  }
  return caption;
}

void PlaceRow(ResultTable& table, std::int32_t row, std::int32_t start_column,
              const std::vector<std::string_view>& fields, std::int32_t n, const NameCell& name,
              std::vector<std::string_view>& with_empty_name) {
  if (name.first) {
    // The name opens the row as its first field; it is stored with each row.
    with_empty_name.assign(1, name.value);
    with_empty_name.insert(with_empty_name.end(), fields.begin(), fields.begin() + n);
    table.PlaceCells(row, start_column, with_empty_name.data(), with_empty_name.size(), nullptr);
    return;
  }
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
