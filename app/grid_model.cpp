#include "app/grid_model.h"

#include "app/error_box.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>

namespace app {

GridModel::GridModel(merge::ResultTable& table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {
  fixed_rows_ = table_.FixedRows();
  fixed_cols_ = table_.FixedCols();
  rows_ = table_.RowCount() - fixed_rows_;
  cols_ = table_.ColCount() - fixed_cols_;
  table_.SetObserver(this);
}

GridModel::~GridModel() {
  if (table_.Observer() == this)
    table_.SetObserver(nullptr);
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : cols_;
}

namespace {

QString BytesToText(std::string_view bytes, merge::TextEncoding encoding) {
  if (encoding == merge::TextEncoding::kUtf8) {
    // Bytes that are not UTF-8 show as replacement characters.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  }
  QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  QChar* out = text.data();
  for (const char byte : bytes)
    *out++ = QChar(platform::Cp1251ToUnicode(static_cast<unsigned char>(byte)));
  return text;
}

} // namespace

QString GridModel::CellText(int col, int row) const {
  return BytesToText(table_.GetCell(col, row), table_.Encoding());
}

QString GridModel::ShownText(int col, int row) const {
  std::string_view bytes = table_.GetCell(col, row);
  if (bytes.size() <= kShownBytesLimit)
    return BytesToText(bytes, table_.Encoding());
  std::size_t cut = kShownBytesLimit;
  if (table_.Encoding() == merge::TextEncoding::kUtf8) {
    // Not inside a character: back to the byte that starts one.
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
      --cut;
  }
  return BytesToText(bytes.substr(0, cut), table_.Encoding()) + QChar(0x2026);
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return {};
  const int col = TableCol(index.column());
  const int row = TableRow(index.row());
  switch (role) {
  case Qt::DisplayRole:
    return ShownText(col, row);
  case Qt::EditRole:
    return CellText(col, row);
  case kCellBytesRole:
    return QVariant::fromValue<qulonglong>(table_.GetCell(col, row).size());
  default:
    return {};
  }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole ||
      !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
    return false;
  bool stored = false;
  // Called from the editor's signals, where no error may escape: one that
  // ends the edit (no memory for the text) is shown, and the cell keeps its
  // old text.
  Guard([&] { stored = StoreEdit(TableCol(index.column()), TableRow(index.row()), value); });
  return stored;
}

bool GridModel::StoreEdit(int col, int row, const QVariant& value) {
  const bool utf8 = table_.Encoding() == merge::TextEncoding::kUtf8;
  // In a UTF-8 table any character can be typed; in a Windows-1251 table a
  // character without a byte becomes "?".
  const std::string bytes = utf8 ? value.toString().toStdString()
                                 : platform::Utf16ToCp1251(value.toString().toStdU16String());
  const std::string_view old_bytes = table_.GetCell(col, row);
  if (old_bytes == bytes)
    return true;
  // A cell whose bytes are not UTF-8 shows replacement characters; taking
  // back the text it shows unchanged must not replace its bytes.
  if (utf8 && !platform::IsValidUtf8(old_bytes) && value.toString() == CellText(col, row))
    return true;
  table_.SetCell(col, row, bytes); // the table tells us back through CellChanged
  return true;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  if (role != Qt::DisplayRole || section < 0)
    return {};
  if (numbering_)
    return NumberingHeader(section, orientation);
  if (orientation == Qt::Horizontal) {
    if (fixed_rows_ < 1 || section >= cols_)
      return QString();
    return ShownText(TableCol(section), 0);
  }
  if (fixed_cols_ < 1 || section >= rows_)
    return QString();
  return ShownText(0, TableRow(section));
}

namespace {

// Column letters as spreadsheets name them: A..Z, AA..AZ, BA, ...
QString ColumnLetters(int col) {
  QString letters;
  for (std::int64_t n = std::int64_t{col} + 1; n > 0; n = (n - 1) / 26)
    letters.prepend(QChar(u'A' + static_cast<char16_t>((n - 1) % 26)));
  return letters;
}

} // namespace

QString GridModel::NumberingHeader(int section, Qt::Orientation orientation) const {
  if (orientation == Qt::Vertical)
    return section < rows_ ? QString::number(std::int64_t{section} + 1) : QString();
  if (section >= cols_)
    return QString();
  if (header_names_) {
    QString name = ShownText(section, 0);
    if (!name.isEmpty())
      return name;
  }
  return ColumnLetters(section);
}

void GridModel::SetNumbering(bool on) {
  if (on == numbering_)
    return;
  numbering_ = on;
  // Every model index now names another cell: Sync starts afresh.
  Sync(false);
}

void GridModel::SetHeaderNames(bool on) {
  if (on == header_names_)
    return;
  header_names_ = on;
  if (numbering_ && cols_ > 0)
    emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!index.isValid())
    return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QString GridModel::CornerText() const {
  if (fixed_rows_ < 1 || fixed_cols_ < 1)
    return QString();
  return ShownText(0, 0);
}

namespace {

// A header keeps 8 bytes a section, as much again once a section was moved,
// and its list may be copied while it grows; the spare is for painting.
constexpr std::size_t kViewBytesPerSection = 16;
constexpr std::size_t kViewSpareBytes = std::size_t{16} << 20;

bool RoomForSections(std::int64_t sections) {
  void* probe =
      std::malloc(static_cast<std::size_t>(sections) * kViewBytesPerSection + kViewSpareBytes);
  std::free(probe);
  return probe != nullptr;
}

// The most rows in [shown, wanted] the views can take besides `other`
// columns.
int AffordableSections(int shown, int wanted, int other) {
  if (RoomForSections(std::int64_t{wanted} + other))
    return wanted;
  int low = shown; // the views already hold these
  int high = wanted;
  while (high - low > 1) {
    const int middle = low + (high - low) / 2;
    if (RoomForSections(std::int64_t{middle} + other))
      low = middle;
    else
      high = middle;
  }
  return low;
}

} // namespace

bool GridModel::FitExtentsToMemory(int& new_rows, int new_cols) {
  const bool refresh = WantedFixedRows() != fixed_rows_ || WantedFixedCols() != fixed_cols_;
  const int shown_rows = refresh ? 0 : std::min(rows_, new_rows);
  const int rows = AffordableSections(shown_rows, new_rows, new_cols);
  if (rows == new_rows)
    return true;
  // The rows cut are emptied too: nothing of them may come back into view
  // when the table grows again.
  cutting_ = true;
  const std::int32_t old_count = table_.RowCount();
  table_.SetRowCount(rows + WantedFixedRows());
  for (std::int32_t row = table_.RowCount(); row < old_count; ++row)
    table_.ClearRow(row);
  cutting_ = false;
  new_rows = table_.RowCount() - WantedFixedRows();
  return false;
}

void GridModel::Sync(bool repaint_all) {
  if (cutting_)
    return;
  int new_rows = table_.RowCount() - WantedFixedRows();
  int new_cols = table_.ColCount() - WantedFixedCols();
  const bool fitted = (new_rows <= rows_ && new_cols <= cols_ && WantedFixedRows() == fixed_rows_ &&
                       WantedFixedCols() == fixed_cols_) ||
                      FitExtentsToMemory(new_rows, new_cols);
  const int new_fixed_rows = WantedFixedRows();
  const int new_fixed_cols = WantedFixedCols();
  if (new_fixed_rows != fixed_rows_ || new_fixed_cols != fixed_cols_) {
    // Every model index now names another cell: start afresh.
    beginResetModel();
    fixed_rows_ = new_fixed_rows;
    fixed_cols_ = new_fixed_cols;
    rows_ = new_rows;
    cols_ = new_cols;
    endResetModel();
    emit FixedCountsChanged();
    emit CornerChanged();
    TellShortOfMemory(fitted);
    return;
  }
  if (new_rows > rows_) {
    beginInsertRows(QModelIndex(), rows_, new_rows - 1);
    rows_ = new_rows;
    endInsertRows();
  } else if (new_rows < rows_) {
    beginRemoveRows(QModelIndex(), new_rows, rows_ - 1);
    rows_ = new_rows;
    endRemoveRows();
  }
  if (new_cols > cols_) {
    beginInsertColumns(QModelIndex(), cols_, new_cols - 1);
    cols_ = new_cols;
    endInsertColumns();
  } else if (new_cols < cols_) {
    beginRemoveColumns(QModelIndex(), new_cols, cols_ - 1);
    cols_ = new_cols;
    endRemoveColumns();
  }
  if (repaint_all) {
    // A reset of the model would also forget the users' column widths and
    // row heights, so only the texts are announced anew.
    if (rows_ > 0 && cols_ > 0)
      emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
    if (cols_ > 0)
      emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    if (rows_ > 0)
      emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    emit CornerChanged();
  }
  TellShortOfMemory(fitted);
}

void GridModel::TellShortOfMemory(bool fitted) {
  // An error already on its way out (a collect that ran out itself) is
  // shown by the handler it leaves.
  if (!fitted && std::uncaught_exceptions() == 0)
    ShowErrorBox(kOutOfMemory);
}

void GridModel::CellChanged(std::int32_t col, std::int32_t row) {
  const int model_row = row - fixed_rows_;
  const int model_col = col - fixed_cols_;
  if (model_row >= rows_ || model_col >= cols_)
    return;
  if (model_row < 0 && model_col < 0) {
    emit CornerChanged();
  } else if (model_row < 0) {
    emit headerDataChanged(Qt::Horizontal, model_col, model_col);
  } else if (model_col < 0) {
    emit headerDataChanged(Qt::Vertical, model_row, model_row);
  } else {
    const QModelIndex changed = index(model_row, model_col);
    emit dataChanged(changed, changed);
    if (numbering_ && header_names_ && row == 0)
      emit headerDataChanged(Qt::Horizontal, model_col, model_col);
  }
}

void GridModel::ExtentsChanged(std::int32_t, std::int32_t) {
  Sync(false);
}

void GridModel::RowChanged(std::int32_t row) {
  RepaintRows(row, row);
}

void GridModel::RowMoved(std::int32_t from, std::int32_t to) {
  RepaintRows(std::min(from, to), std::max(from, to));
}

void GridModel::ColumnMoved(std::int32_t from, std::int32_t to) {
  RepaintCols(std::min(from, to), std::max(from, to));
}

void GridModel::TableReset() {
  Sync(true);
}

void GridModel::RepaintRows(int first_table_row, int last_table_row) {
  const bool names_changed = numbering_ && header_names_ && first_table_row == 0;
  if (first_table_row < fixed_rows_ || names_changed) {
    if (cols_ > 0)
      emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    emit CornerChanged();
  }
  const int first = std::max(first_table_row - fixed_rows_, 0);
  const int last = std::min(last_table_row - fixed_rows_, rows_ - 1);
  if (first > last)
    return;
  if (cols_ > 0)
    emit dataChanged(index(first, 0), index(last, cols_ - 1));
  emit headerDataChanged(Qt::Vertical, first, last);
}

void GridModel::RepaintCols(int first_table_col, int last_table_col) {
  if (first_table_col < fixed_cols_) {
    if (rows_ > 0)
      emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    emit CornerChanged();
  }
  const int first = std::max(first_table_col - fixed_cols_, 0);
  const int last = std::min(last_table_col - fixed_cols_, cols_ - 1);
  if (first > last)
    return;
  if (rows_ > 0)
    emit dataChanged(index(0, first), index(rows_ - 1, last));
  emit headerDataChanged(Qt::Horizontal, first, last);
}

} // namespace app
