// The grid's editing tools through keys and menu items: undo and redo of an
// editor's session, the clipboard, Delete, rows and columns, Tab, and the
// question before a step the history cannot keep.

#include "tests/support/window_test_support.h"

#include "app/cell_delegate.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

using app_test::Scratch;

namespace {

QString Cell(app::TForm1& form, int col, int row) {
  return QString::fromStdString(std::string(form.Table().GetCell(col, row)));
}

// A shown window on the table page, a 4 x 4 table "c:r", the grid focused.
app::TForm1& TablePage(Scratch& scratch) {
  app::TForm1& form = scratch.Form();
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form))
    qWarning("window not active");
  form.SetActivePage(2);
  merge::ResultTable& table = form.Table();
  table.SetColCount(4);
  table.SetRowCount(4);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      table.SetCell(c, r, std::to_string(c) + ":" + std::to_string(r));
  form.StringGrid1->setFocus();
  return form;
}

// Selects table cells (col, row) .. (col + w - 1, row + h - 1).
void Select(app::TForm1& form, int col, int row, int w, int h) {
  app::GridView* grid = form.StringGrid1;
  app::GridModel* model = grid->Model();
  const QModelIndex first = model->index(row - 1, col - 1);
  grid->setCurrentIndex(first);
  grid->selectionModel()->select(QItemSelection(first, model->index(row + h - 2, col + w - 2)),
                                 QItemSelectionModel::ClearAndSelect);
}

} // namespace

class GridEditTest : public QObject {
  Q_OBJECT
private slots:
  void AnEditorSessionIsOneStep();
  void CopyCutPasteAndDeleteWithUndo();
  void RowsAndColumnsFromTheMenu();
  void MenuKeepsTheFourCommandsFirst();
  void TabMovesToTheNextCell();
  void ClearIsUndoneAndAskedWhenTooBig();
  void CollectsAreUndoneAndColumnsFitTheirTexts();
};

void GridEditTest::AnEditorSessionIsOneStep() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_X);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  QTest::keyClicks(editor, "yz");
  QTest::keyClick(editor, Qt::Key_Escape); // Escape keeps what was typed
  QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
  QCOMPARE(Cell(form, 1, 1), "xyz");
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Cell(form, 1, 1), "1:1"); // one step for the three keys
  QTest::keyClick(grid, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Cell(form, 1, 1), "xyz");
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(Cell(form, 1, 1), "xyz");
}

void GridEditTest::CopyCutPasteAndDeleteWithUndo() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  app::GridView* grid = form.StringGrid1;
  Select(form, 1, 1, 2, 2);
  QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1:1\t2:1\r\n1:2\t2:2\r\n"));
  // Pasted at the current cell, past the extents, which grow.
  Select(form, 3, 3, 1, 1);
  QTest::keyClick(grid, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(Cell(form, 4, 4), "2:2");
  QCOMPARE(form.Table().ColCount(), 6);
  QCOMPARE(form.Table().RowCount(), 5);
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Cell(form, 4, 4), "");
  QCOMPARE(form.Table().ColCount(), 4);
  // Cut empties the range; Delete too; each is undone on its own.
  Select(form, 1, 1, 1, 2);
  QTest::keyClick(grid, Qt::Key_X, Qt::ControlModifier);
  QCOMPARE(Cell(form, 1, 2), "");
  QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1:1\r\n1:2\r\n"));
  Select(form, 2, 1, 2, 1);
  QTest::keyClick(grid, Qt::Key_Delete);
  QCOMPARE(Cell(form, 3, 1), "");
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Cell(form, 3, 1), "3:1");
  QCOMPARE(Cell(form, 1, 2), "");
  QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(Cell(form, 1, 2), "1:2");
}

void GridEditTest::RowsAndColumnsFromTheMenu() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  Select(form, 1, 1, 1, 2);
  form.N13->trigger(); // "Удалить строки": rows 1 and 2
  QCOMPARE(form.Table().RowCount(), 2);
  QCOMPARE(Cell(form, 0, 1), "0:3");
  form.N15->trigger(); // "Вставить строку" above the current row
  QCOMPARE(form.Table().RowCount(), 3);
  QCOMPARE(Cell(form, 0, 1), "");
  QCOMPARE(Cell(form, 0, 2), "0:3");
  Select(form, 2, 1, 1, 1);
  form.N14->trigger(); // "Удалить столбцы"
  QCOMPARE(Cell(form, 2, 0), "3:0");
  form.N16->trigger(); // "Вставить столбец"
  QCOMPARE(Cell(form, 3, 0), "3:0");
  for (int i = 0; i < 4; ++i)
    form.N8->trigger();
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      QCOMPARE(Cell(form, c, r), QString("%1:%2").arg(c).arg(r));
  QCOMPARE(form.Table().RowCount(), 4);
}

void GridEditTest::MenuKeepsTheFourCommandsFirst() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  QStringList names;
  for (QAction* action : form.PopupMenu2->actions())
    if (!action->isSeparator())
      names << action->objectName();
  QCOMPARE(names.mid(0, 6), QStringList({"N4", "N5", "N6", "N7", "N8", "N9"}));
  QVERIFY(names.contains("N13") && names.contains("ClearCells"));
}

void GridEditTest::TabMovesToTheNextCell() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  app::GridView* grid = form.StringGrid1;
  Select(form, 3, 1, 1, 1);
  QTest::keyClick(grid, Qt::Key_Tab);
  QCOMPARE(grid->currentIndex(), grid->Model()->index(1, 0)); // the next row's first cell
  QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
  QCOMPARE(grid->currentIndex(), grid->Model()->index(0, 2));
  QVERIFY(grid->hasFocus());
}

void GridEditTest::ClearIsUndoneAndAskedWhenTooBig() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  form.N5->trigger();
  QCOMPARE(Cell(form, 2, 2), "");
  form.N8->trigger();
  QCOMPARE(Cell(form, 2, 2), "2:2");
  // A table the history cannot hold: the user is asked, and "Нет" keeps it.
  form.History().SetBudget(16);
  QStringList asked;
  bool answer = false;
  const app::QuestionAsker previous = app::SetQuestionAsker([&](const QString&, const QString& t) {
    asked << t;
    return answer;
  });
  form.N5->trigger();
  QCOMPARE(asked.size(), 1);
  QCOMPARE(Cell(form, 2, 2), "2:2");
  answer = true;
  form.N5->trigger();
  QCOMPARE(Cell(form, 2, 2), "");
  QVERIFY(!form.History().CanUndo());
  app::SetQuestionAsker(previous);
}

void GridEditTest::CollectsAreUndoneAndColumnsFitTheirTexts() {
  Scratch scratch;
  scratch.Write("a.csv", "1,a rather long text for one column\n2,b\n");
  app::TForm1& form = scratch.Form();
  form.ComboBox1->setCurrentIndex(0);
  form.SetActivePage(1);
  form.Button1->setText(QStringLiteral("Собрать"));
  form.Button1Click();
  QCOMPARE(Cell(form, 1, 1), "b");
  // Column 1 of the table is the grid's first: fitted to its text.
  QHeaderView* header = form.StringGrid1->horizontalHeader();
  QVERIFY(header->sectionSize(0) > app::GridView::kDefaultColWidth);
  form.N7->trigger(); // "Добавить"
  QCOMPARE(Cell(form, 1, 3), "b");
  form.N6->trigger(); // "Собрать повторно"
  QCOMPARE(form.Table().RowCount(), 2);
  form.N8->trigger();
  QCOMPARE(Cell(form, 1, 3), "b");
  form.N8->trigger();
  QCOMPARE(form.Table().RowCount(), 2);
  QCOMPARE(Cell(form, 1, 3), "");
  form.N8->trigger();
  QCOMPARE(Cell(form, 1, 1), "");
  form.N9->trigger();
  QCOMPARE(Cell(form, 1, 1), "b");
}

QTEST_MAIN(GridEditTest)
#include "grid_edit_test.moc"
