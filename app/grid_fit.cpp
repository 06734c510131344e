// GridView's selection in table coordinates and the column widths fitted
// to the texts after a collect.

#include "app/grid_model.h"
#include "app/grid_view.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace app {

merge::CellRange GridView::SelectedRange() const {
  if (grid_model_ == nullptr || selectionModel() == nullptr)
    return {};
  int top = -1, left = -1, bottom = -1, right = -1;
  for (const QItemSelectionRange& range : selectionModel()->selection()) {
    top = top < 0 ? range.top() : std::min(top, range.top());
    left = left < 0 ? range.left() : std::min(left, range.left());
    bottom = std::max(bottom, range.bottom());
    right = std::max(right, range.right());
  }
  if (top < 0) {
    const QModelIndex current = currentIndex();
    if (!current.isValid())
      return {};
    top = bottom = current.row();
    left = right = current.column();
  }
  return {grid_model_->TableCol(left), grid_model_->TableRow(top), grid_model_->TableCol(right) + 1,
          grid_model_->TableRow(bottom) + 1};
}

void GridView::FitColumnsToContents() {
  if (grid_model_ == nullptr)
    return;
  const int rows = grid_model_->rowCount();
  const int cols = grid_model_->columnCount();
  // The rows in view, and as many spread over the whole table.
  constexpr int kSampled = 200;
  constexpr int kWidest = 480;
  std::vector<int> sample;
  const int first_shown = std::max(rowAt(0), 0);
  const int last_shown = rowAt(viewport()->height() - 1) < 0 ? std::min(rows - 1, first_shown + 60)
                                                             : rowAt(viewport()->height() - 1);
  for (int r = first_shown; r <= last_shown && r < rows; ++r)
    sample.push_back(r);
  for (int i = 0; i < kSampled && rows > 0; ++i)
    sample.push_back(static_cast<int>(static_cast<long long>(rows) * i / kSampled));
  const QFontMetrics metrics(font());
  const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
  // Past a few hundred columns only those in view and near it are measured.
  const int last_col = std::min(cols, std::max(columnAt(viewport()->width() - 1), 0) + 256);
  for (int c = 0; c < last_col; ++c) {
    if (static_cast<std::size_t>(c) < user_sized_.size() &&
        user_sized_[static_cast<std::size_t>(c)])
      continue;
    int width = kDefaultColWidth;
    const QString header = grid_model_->headerData(c, Qt::Horizontal).toString();
    width = std::max(width, metrics.horizontalAdvance(header) + margin);
    for (const int r : sample) {
      const QString text = grid_model_->index(r, c).data().toString();
      if (!text.isEmpty())
        width = std::max(width, metrics.horizontalAdvance(text) + margin);
      if (width >= kWidest)
        break;
    }
    width = std::min(width, kWidest);
    if (horizontalHeader()->sectionSize(c) != width)
      horizontalHeader()->resizeSection(c, width);
  }
}

} // namespace app
