// TForm1's page "Искомая таблица": the grid over the table and its menu of
// table commands (the two collecting ones run in collect_run.cpp).

#include "app/error_box.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"
#include "merge/table_edits.h"

#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QMenu>
#include <QVBoxLayout>

namespace app {

void TForm1::BuildTablePage() {
  grid_model_ = new GridModel(*table_);
  StringGrid1 = new GridView(TabSheet3);
  StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
  StringGrid1->SetGridModel(grid_model_);
  // Every change of the table, a collect's or an edit's, shows its new size.
  const auto show_size = [this] { ShowTableSize(); };
  connect(grid_model_, &QAbstractItemModel::modelReset, this, show_size);
  connect(grid_model_, &QAbstractItemModel::dataChanged, this, show_size);
  connect(grid_model_, &QAbstractItemModel::headerDataChanged, this, show_size);
  connect(grid_model_, &QAbstractItemModel::rowsInserted, this, show_size);
  connect(grid_model_, &QAbstractItemModel::rowsRemoved, this, show_size);
  connect(grid_model_, &QAbstractItemModel::columnsInserted, this, show_size);
  connect(grid_model_, &QAbstractItemModel::columnsRemoved, this, show_size);
  StringGrid1->setCurrentIndex(grid_model_->index(0, 0));
  auto* layout = new QVBoxLayout(TabSheet3);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(StringGrid1);

  PopupMenu2 = new QMenu(StringGrid1);
  PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
  const auto add_item = [this](const char* name, const QString& caption, void (TForm1::*slot)()) {
    QAction* action = PopupMenu2->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, slot);
    return action;
  };
  N4 = add_item("N4", QStringLiteral("Удалить пустые строки "), &TForm1::N4Click);
  N5 = add_item("N5", QStringLiteral("Очистить"), &TForm1::N5Click);
  N6 = add_item("N6", QStringLiteral("Собрать повторно"), &TForm1::N6Click);
  N7 = add_item("N7", QStringLiteral("Добавить"), &TForm1::N7Click);
  // The editing tools follow the four commands; their keys work wherever
  // the grid has the focus (an open editor keeps its own Ctrl+Z).
  PopupMenu2->addSeparator();
  const auto add_keys = [this](QAction* action, QList<QKeySequence> keys) {
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    StringGrid1->addAction(action);
  };
  N8 = add_item("N8", QStringLiteral("Отменить"), &TForm1::N8Click);
  add_keys(N8, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
  N9 = add_item("N9", QStringLiteral("Повторить"), &TForm1::N9Click);
  add_keys(N9,
           {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(PopupMenu2, &QMenu::aboutToShow, this, [this] {
    N8->setEnabled(history_.CanUndo());
    N9->setEnabled(history_.CanRedo());
  });
  // The keys stay live while the menu is closed; an empty history does nothing.
  connect(PopupMenu2, &QMenu::aboutToHide, this, [this] {
    QMetaObject::invokeMethod(
        this,
        [this] {
          N8->setEnabled(true);
          N9->setEnabled(true);
        },
        Qt::QueuedConnection);
  });
  StringGrid1->SetStepRecorder(
      [this](std::unique_ptr<merge::HistoryStep> step) { RecordStep(std::move(step)); });
  BuildEditItems();
  BuildTidyItems();
  // A way of looking at the table, not a command on it: last, set apart.
  PopupMenu2->addSeparator();
  Numbering = PopupMenu2->addAction(QStringLiteral("Нумерация строк и столбцов"));
  Numbering->setObjectName(QStringLiteral("Numbering"));
  Numbering->setCheckable(true);
  connect(Numbering, &QAction::toggled, grid_model_, &GridModel::SetNumbering);
  // The header row names the columns while the first line is a header.
  grid_model_->SetHeaderNames(CheckBox8->isChecked());
  connect(CheckBox8, &QCheckBox::toggled, grid_model_, &GridModel::SetHeaderNames);
  StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(StringGrid1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    PopupMenu2->popup(StringGrid1->viewport()->mapToGlobal(pos));
  });
}

void TForm1::N4Click() {
  Guard([this] {
    CloseEditor();
    RecordToolStep(
        merge::DeleteEmptyRowsKept(*table_, CheckBox1->isChecked(), CheckBox12->isChecked()));
  });
}

} // namespace app
