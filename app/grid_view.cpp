#include "app/grid_view.h"

#include "app/cell_delegate.h"
#include "app/error_box.h"
#include "app/grid_model.h"
#include "app/notice_box.h"
#include "app/thread_stacks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace app {

namespace {

void SetUpHeader(QHeaderView* header, int default_size) {
  header->setDefaultSectionSize(default_size);
  // Sizes of one pixel or less are never taken.
  header->setMinimumSectionSize(2);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setTextElideMode(Qt::ElideNone);
  // A double click on a section's edge fits it to the cells in view only:
  // quick on any table, and what the user sees is what fits.
  header->setResizeContentsPrecision(0);
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
}

} // namespace

GridView::GridView(QWidget* parent) : QTableView(parent) {
  // Painting a table that took nearly all the memory must still get its
  // helper threads.
  UseSmallThreadStacks();
  setTextElideMode(Qt::ElideNone);
  setWordWrap(false);
  setShowGrid(true);
  // Tab and Shift+Tab go to the next and previous cell, also from an editor.
  setTabKeyNavigation(true);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked);
  delegate_ = new CellDelegate(this);
  setItemDelegate(delegate_);

  SetUpHeader(horizontalHeader(), kDefaultColWidth);
  SetUpHeader(verticalHeader(), kDefaultRowHeight);
  // The fixed column is as wide as a column, the fixed row as high as a row.
  verticalHeader()->setFixedWidth(kDefaultColWidth);
  horizontalHeader()->setFixedHeight(kDefaultRowHeight);

  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    header->viewport()->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this, header](int section) {
      if (drag_.header != header)
        return;
      drag_.resized = true;
      if (header == horizontalHeader() && section >= 0) {
        if (user_sized_.size() <= static_cast<std::size_t>(section))
          user_sized_.resize(static_cast<std::size_t>(section) + 1, false);
        user_sized_[static_cast<std::size_t>(section)] = true;
      }
    });
  }
  connect(horizontalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int old_visual, int new_visual) {
            SectionMoved(Qt::Horizontal, old_visual, new_visual);
          });
  connect(verticalHeader(), &QHeaderView::sectionMoved, this,
          [this](int, int old_visual, int new_visual) {
            SectionMoved(Qt::Vertical, old_visual, new_visual);
          });

  // Cell (0, 0) is shown by a label laid over the corner button; clicks go
  // through to the button.
  corner_button_ = findChild<QAbstractButton*>();
  if (corner_button_ != nullptr) {
    corner_label_ = new QLabel(corner_button_);
    corner_label_->setObjectName(QStringLiteral("CornerLabel"));
    corner_label_->setAttribute(Qt::WA_TransparentForMouseEvents);
    corner_label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    corner_label_->setContentsMargins(2, 0, 0, 0);
    corner_button_->installEventFilter(this);
  }
}

void GridView::SetGridModel(GridModel* model) {
  grid_model_ = model;
  setModel(model);
  delegate_->WatchModel(model);
  connect(model, &GridModel::FixedCountsChanged, this, &GridView::ApplyFixedCounts);
  connect(model, &GridModel::CornerChanged, this, &GridView::UpdateCorner);
  // The headers hear of changed texts through HeaderTextsChanged instead.
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    disconnect(model, SIGNAL(headerDataChanged(Qt::Orientation, int, int)), header,
               SLOT(headerDataChanged(Qt::Orientation, int, int)));
  }
  connect(model, &QAbstractItemModel::headerDataChanged, this, &GridView::HeaderTextsChanged);
  ApplyFixedCounts();
  UpdateCorner();
}

void GridView::HeaderTextsChanged(Qt::Orientation orientation, int first, int last) {
  QHeaderView* header = orientation == Qt::Vertical ? verticalHeader() : horizontalHeader();
  // The header walks every section it is told of, which after a collect of
  // millions of rows is millions of steps to repaint one screen: a long
  // range only repaints what is shown (the header's size is fixed, so no
  // text can change it).
  constexpr int kWalkedAtMost = 4096;
  if (last - first < kWalkedAtMost) {
    header->headerDataChanged(orientation, first, last);
    return;
  }
  header->headerDataChanged(orientation, first, first);
  header->viewport()->update();
}

QString GridView::CornerText() const {
  return corner_label_ != nullptr ? corner_label_->text() : QString();
}

void GridView::ApplyFixedCounts() {
  // The numbering view always has both headers.
  const bool numbering = grid_model_->Numbering();
  const bool fixed_row = numbering || grid_model_->FixedRows() > 0;
  const bool fixed_col = numbering || grid_model_->FixedCols() > 0;
  horizontalHeader()->setVisible(fixed_row);
  verticalHeader()->setVisible(fixed_col);
  // A row is dragged by its cell in the fixed column, a column by its cell
  // in the fixed row (by its number or letter in the numbering view).
  verticalHeader()->setSectionsMovable(fixed_col);
  horizontalHeader()->setSectionsMovable(fixed_row);
  UpdateCorner();
}

void GridView::UpdateCorner() {
  if (corner_label_ != nullptr && grid_model_ != nullptr)
    corner_label_->setText(grid_model_->CornerText());
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == corner_button_ && event->type() == QEvent::Resize && corner_label_ != nullptr)
    corner_label_->setGeometry(corner_button_->rect());
  for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
    if (watched == header->viewport())
      HeaderMouse(header, event);
  }
  return QTableView::eventFilter(watched, event);
}

bool GridView::HeaderMouse(QHeaderView* header, QEvent* event) {
  const auto along = [header](const QPoint& p) {
    return header->orientation() == Qt::Horizontal ? p.x() : p.y();
  };
  switch (event->type()) {
  case QEvent::MouseButtonPress: {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
      return false;
    drag_ = Drag{};
    drag_.header = header;
    drag_.press = mouse->position().toPoint();
    drag_.from = header->visualIndexAt(along(drag_.press));
    return false;
  }
  case QEvent::MouseButtonRelease: {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (drag_.header != header || mouse->button() != Qt::LeftButton)
      return false;
    const QPoint at = mouse->position().toPoint();
    const bool moved =
        std::abs(along(at) - along(drag_.press)) >= QApplication::startDragDistance();
    if (!header->sectionsMovable() || drag_.resized || !moved || drag_.from < 0) {
      drag_ = Drag{};
      return false;
    }
    drag_.to = header->visualIndexAt(along(at));
    drag_.dropped = true;
    // Qt moves the section (or not, one short of a neighbour) while it
    // handles this release; FinishDrop then makes the move it left out.
    QMetaObject::invokeMethod(this, &GridView::FinishDrop, Qt::QueuedConnection);
    return false;
  }
  default:
    return false;
  }
}

void GridView::FinishDrop() {
  const Drag drag = drag_;
  drag_ = Drag{};
  if (!drag.dropped || drag.to < 0 || drag.to == drag.from)
    return;
  MoveData(drag.header->orientation(), drag.from, drag.to);
}

bool GridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  const bool would_open = index.isValid() && state() != EditingState &&
                          (trigger == AllEditTriggers || (editTriggers() & trigger) != 0);
  if (would_open && trigger != AnyKeyPressed && CellDelegate::TooLongToEdit(index)) {
    // A typed key still replaces such a cell: that needs none of its text.
    const qulonglong bytes = index.data(GridModel::kCellBytesRole).toULongLong();
    ShowNotice(QStringLiteral("Ячейка слишком длинная, чтобы править её в таблице (%1 байт). "
                              "Её текст сохраняется как есть; введённый символ заменит его "
                              "целиком.")
                   .arg(bytes));
    return false;
  }
  // The cell as it was before the key that opens the editor reaches it.
  std::unique_ptr<merge::CellEdits> step;
  if (would_open && grid_model_ != nullptr) {
    FinishEditStep();
    merge::ResultTable& table = grid_model_->Table();
    step = std::make_unique<merge::CellEdits>(table);
    step->KeepRun(table, grid_model_->TableRow(index.row()), grid_model_->TableCol(index.column()),
                  1);
  }
  const bool opened = QTableView::edit(index, trigger, event);
  if (opened && step)
    edit_step_ = std::move(step);
  if (opened && trigger == EditKeyPressed) {
    // F2: caret at the end, nothing selected.
    if (QLineEdit* editor = delegate_->OpenEditor()) {
      editor->deselect();
      editor->end(false);
    }
  }
  return opened;
}

void GridView::keyPressEvent(QKeyEvent* event) {
  // Backspace opens the editor like a typed character: the whole text is
  // selected, so the key empties it.
  if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier &&
      state() != EditingState && currentIndex().isValid()) {
    const QModelIndex index = currentIndex();
    // A cell too long to load opens an empty editor, where the key has
    // nothing to delete: it is emptied here as any other cell would be.
    const bool too_long = CellDelegate::TooLongToEdit(index);
    if (edit(index, AnyKeyPressed, event)) {
      if (too_long)
        Guard([&] { model()->setData(index, QString(), Qt::EditRole); });
      return;
    }
  }
  QTableView::keyPressEvent(event);
}

void GridView::CloseOpenEditor() {
  if (QLineEdit* editor = delegate_->OpenEditor()) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  FinishEditStep();
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  QTableView::closeEditor(editor, hint);
  FinishEditStep();
}

void GridView::FinishEditStep() {
  std::unique_ptr<merge::CellEdits> step = std::move(edit_step_);
  if (!step || grid_model_ == nullptr)
    return;
  step->Finish(grid_model_->Table());
  if (step->Changed() && record_step_)
    record_step_(std::move(step));
}

void GridView::SectionMoved(Qt::Orientation orientation, int old_visual, int new_visual) {
  if (undoing_move_ || grid_model_ == nullptr || old_visual == new_visual)
    return;
  QHeaderView* header = orientation == Qt::Vertical ? verticalHeader() : horizontalHeader();
  // The header only dragged a picture of the section: put it back, then move
  // the data itself, so that visual and logical order stay the same.
  undoing_move_ = true;
  header->moveSection(new_visual, old_visual);
  undoing_move_ = false;

  // A drop by the mouse goes to the section it was dropped on.
  if (drag_.dropped && drag_.header == header && drag_.from == old_visual) {
    const int to = drag_.to >= 0 ? drag_.to : new_visual;
    drag_ = Drag{};
    new_visual = to;
    if (new_visual == old_visual)
      return;
  }
  MoveData(orientation, old_visual, new_visual);
}

void GridView::MoveData(Qt::Orientation orientation, int old_visual, int new_visual) {
  QHeaderView* header = orientation == Qt::Vertical ? verticalHeader() : horizontalHeader();
  Guard([&] {
    CloseOpenEditor();
    const int low = std::min(old_visual, new_visual);
    const int high = std::max(old_visual, new_visual);
    std::vector<int> sizes;
    for (int i = low; i <= high; ++i)
      sizes.push_back(header->sectionSize(i));
    const QModelIndex current = currentIndex();

    merge::ResultTable& table = grid_model_->Table();
    const bool rows = orientation == Qt::Vertical;
    const int from = rows ? grid_model_->TableRow(old_visual) : grid_model_->TableCol(old_visual);
    const int to = rows ? grid_model_->TableRow(new_visual) : grid_model_->TableCol(new_visual);
    if (rows)
      table.MoveRow(from, to);
    else
      table.MoveColumn(from, to);
    if (record_step_)
      record_step_(std::make_unique<merge::MoveStep>(
          rows ? merge::MoveStep::kRow : merge::MoveStep::kColumn, from, to));

    // Sizes belong to the data: they move the way the rows (columns) moved.
    if (old_visual < new_visual)
      std::rotate(sizes.begin(), sizes.begin() + 1, sizes.end());
    else
      std::rotate(sizes.rbegin(), sizes.rbegin() + 1, sizes.rend());
    for (int i = low; i <= high; ++i) {
      if (header->sectionSize(i) != sizes[i - low])
        header->resizeSection(i, sizes[i - low]);
    }
    // So does a width the user set.
    if (!rows && static_cast<std::size_t>(high) < user_sized_.size()) {
      const auto first = user_sized_.begin() + low;
      const auto last = user_sized_.begin() + high + 1;
      if (old_visual < new_visual)
        std::rotate(first, first + 1, last);
      else
        std::rotate(first, last - 1, last);
    }

    // So does the current cell.
    if (current.isValid()) {
      int position = orientation == Qt::Vertical ? current.row() : current.column();
      if (position == old_visual)
        position = new_visual;
      else if (old_visual < new_visual && position > old_visual && position <= new_visual)
        --position;
      else if (old_visual > new_visual && position >= new_visual && position < old_visual)
        ++position;
      const QModelIndex moved = orientation == Qt::Vertical
                                    ? grid_model_->index(position, current.column())
                                    : grid_model_->index(current.row(), position);
      selectionModel()->setCurrentIndex(moved, QItemSelectionModel::ClearAndSelect);
    }
  });
}

} // namespace app
