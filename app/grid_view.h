#pragma once
// StringGrid1: the table view over GridModel. The headers show the fixed row
// and column (their cells hold data), the corner shows cell (0, 0); dragging
// a header section moves the row or column in the table itself, and a row's
// height (a column's width) travels with it.

#include "merge/table_edits.h"
#include "merge/table_history.h"

#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class QHeaderView;
class QLabel;

namespace app {

class CellDelegate;
class GridModel;

class GridView : public QTableView {
  Q_OBJECT
public:
  static constexpr int kDefaultColWidth = 64;
  static constexpr int kDefaultRowHeight = 24;

  explicit GridView(QWidget* parent = nullptr);

  void SetGridModel(GridModel* model);
  GridModel* Model() const { return grid_model_; }
  CellDelegate* Delegate() const { return delegate_; }
  // The text shown in the corner (cell (0, 0)).
  QString CornerText() const;

  // Where the grid's own changes go as undo steps: an editor's session from
  // its opening to its closing, a drag of a row or a column.
  using StepRecorder = std::function<void(std::unique_ptr<merge::HistoryStep>)>;
  void SetStepRecorder(StepRecorder recorder) { record_step_ = std::move(recorder); }
  // Stores and closes an open editor (its session becomes a step).
  void CloseOpenEditor();

  // The selection's bounding range in table coordinates; the current cell
  // when nothing is selected; empty when there is no current cell either.
  merge::CellRange SelectedRange() const;
  // After a collect: each column as wide as its texts on the rows in view
  // and a sample of the others (never all rows), not narrower than the
  // default; a width the user set stays.
  void FitColumnsToContents();

protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
  void ApplyFixedCounts();
  void UpdateCorner();
  void HeaderTextsChanged(Qt::Orientation orientation, int first, int last);
  void SectionMoved(Qt::Orientation orientation, int old_visual, int new_visual);
  void MoveData(Qt::Orientation orientation, int old_visual, int new_visual);
  // Watches a header's mouse: a section is dropped on the section under the
  // mouse, where Qt would stop one short of it on its near half.
  bool HeaderMouse(QHeaderView* header, QEvent* event);
  void FinishDrop();
  void FinishEditStep();

  GridModel* grid_model_ = nullptr;
  CellDelegate* delegate_ = nullptr;
  QWidget* corner_button_ = nullptr;
  QLabel* corner_label_ = nullptr;
  bool undoing_move_ = false;
  StepRecorder record_step_;
  // Columns (by section) whose width the user set by dragging an edge.
  std::vector<bool> user_sized_;
  // The open editor's cell as it was when the editor opened.
  std::unique_ptr<merge::CellEdits> edit_step_;

  // The drag of a header section under way, from press to release.
  struct Drag {
    QHeaderView* header = nullptr;
    QPoint press;
    int from = -1;        // the visual index pressed
    int to = -1;          // the visual index under the mouse at the release
    bool resized = false; // the press was on a section's edge
    bool dropped = false; // released, the move not yet made
  };
  Drag drag_;
};

} // namespace app
