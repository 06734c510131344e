// TForm1's sorting by one column: the grid's menu (the current cell's
// column), a column header's own menu, or Ctrl+click on a column header
// (a second Ctrl+click on the same column turns the order round). The
// order is worked out on a helper thread with the progress dialog; the rows
// then move in one step.

#include "app/error_box.h"
#include "app/find_dialog.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"
#include "app/worker_run.h"
#include "merge/table_sort.h"
#include "merge/tidy_steps.h"
#include "platform/progress.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>

namespace app {

namespace {

// Ctrl+click on a column header asks for a sort instead of starting a drag.
class HeaderSortClicks : public QObject {
public:
  HeaderSortClicks(QHeaderView* header, std::function<void(int)> sort)
      : QObject(header), header_(header), sort_(std::move(sort)) {}

protected:
  bool eventFilter(QObject*, QEvent* event) override {
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (!press && event->type() != QEvent::MouseButtonRelease)
      return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
      return false;
    if (press) {
      pressed_ = (mouse->modifiers() & Qt::ControlModifier) != 0;
      if (!pressed_)
        return false;
      const int section = header_->logicalIndexAt(mouse->position().toPoint());
      if (section >= 0)
        sort_(section);
      return true;
    }
    const bool swallowed = pressed_;
    pressed_ = false;
    return swallowed; // the release of a press taken here
  }

private:
  QHeaderView* header_;
  std::function<void(int)> sort_;
  bool pressed_ = false;
};

} // namespace

void TForm1::BuildTidyItems() {
  const auto add_item = [this](const char* name, const QString& caption, void (TForm1::*slot)()) {
    QAction* action = PopupMenu2->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  PopupMenu2->addSeparator();
  N17 = add_item("N17", QStringLiteral("Сортировать по возрастанию"), &TForm1::N17Click);
  N18 = add_item("N18", QStringLiteral("Сортировать по убыванию"), &TForm1::N18Click);
  N19 = add_item("N19", QStringLiteral("Найти…"), &TForm1::N19Click);
  N20 = add_item("N20", QStringLiteral("Заменить…"), &TForm1::N20Click);
  N21 = add_item("N21", QStringLiteral("Удалить повторяющиеся строки"), &TForm1::N21Click);
  // Ctrl+F and Ctrl+H wherever the grid has the focus.
  N19->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  N20->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
  for (QAction* action : {N19, N20}) {
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    StringGrid1->addAction(action);
  }

  QHeaderView* header = StringGrid1->horizontalHeader();
  PopupMenu3 = new QMenu(header);
  PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
  QAction* ascending = PopupMenu3->addAction(QStringLiteral("Сортировать по возрастанию"));
  ascending->setObjectName(QStringLiteral("N22"));
  QAction* descending = PopupMenu3->addAction(QStringLiteral("Сортировать по убыванию"));
  descending->setObjectName(QStringLiteral("N23"));
  header->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(header, &QWidget::customContextMenuRequested, this, [this, header](const QPoint& pos) {
    const int section = header->logicalIndexAt(pos);
    if (section < 0)
      return;
    PopupMenu3->setProperty("section", section);
    PopupMenu3->popup(header->viewport()->mapToGlobal(pos));
  });
  for (QAction* action : {ascending, descending}) {
    connect(action, &QAction::triggered, this, [this, action, descending] {
      const int section = PopupMenu3->property("section").toInt();
      Guard([&] { SortByColumn(grid_model_->TableCol(section), action == descending); });
    });
  }
  header->viewport()->installEventFilter(new HeaderSortClicks(header, [this](int section) {
    const int col = grid_model_->TableCol(section);
    const bool turn = col == last_sorted_col_ && !last_sort_descending_;
    Guard([&] { SortByColumn(col, turn); });
  }));
}

int TForm1::CurrentTableColumn() const {
  const QModelIndex current = StringGrid1->currentIndex();
  return current.isValid() ? grid_model_->TableCol(current.column()) : -1;
}

void TForm1::SortByColumn(int table_col, bool descending) {
  if (table_col < 0)
    return;
  CloseEditor();
  merge::SortOptions options;
  options.column = table_col;
  options.descending = descending;
  options.keep_header = CheckBox8->isChecked();
  const merge::TextSortKey key = merge::LocaleTextKey(table_->Encoding());
  merge::RowOrder order;
  try {
    RunOnWorker(this, QStringLiteral("Сортировка"), [&](platform::Progress& progress) {
      order = merge::SortedRowOrder(*table_, options, key, &progress);
    });
  } catch (const platform::Cancelled&) {
    StatusBar1->showMessage(QStringLiteral("Сортировка отменена: таблица не изменилась"));
    throw;
  }
  const std::size_t undo_bytes = order.Count() * 4;
  const bool undoable = History().Fits(undo_bytes);
  if (!undoable && !MayGoOnWithoutUndo(undo_bytes))
    return;
  order.Apply(*table_);
  if (undoable)
    RecordStep(std::make_unique<merge::SortStep>(std::move(order)));
  last_sorted_col_ = table_col;
  last_sort_descending_ = descending;
}

void TForm1::N17Click() {
  Guard([this] { SortByColumn(CurrentTableColumn(), false); });
}

void TForm1::N18Click() {
  Guard([this] { SortByColumn(CurrentTableColumn(), true); });
}

} // namespace app
