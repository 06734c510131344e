// StringGrid1 over the ResultTable: the model under Qt's model tester, the
// fixed row and column, the in-place editor, and dragging rows and columns.

#include "tests/support/window_test_support.h"

#include "app/cell_delegate.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/notice_box.h"
#include "app/unit1.h"
#include "export/save_table.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

using app_test::Scratch;

namespace {

void Fill(merge::ResultTable& table, int cols, int rows) {
  table.SetColCount(cols);
  table.SetRowCount(rows);
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col)
      table.SetCell(col, row, std::to_string(col) + ":" + std::to_string(row));
}

QString Cell(merge::ResultTable& table, int col, int row) {
  return QString::fromStdString(std::string(table.GetCell(col, row)));
}

} // namespace

class GridTest : public QObject {
  Q_OBJECT
private slots:
  void ModelUnderTester();
  void FixedRowAndColumnAreHeaders();
  void FixedColumnDropsForGood();
  void EditorTypingReplacesAndStoresAtOnce();
  void EditorEscapeKeepsText();
  void EditorF2AndEmptying();
  void EditorShowsCommandChanges();
  void EditorKeepsALongCellWhole();
  void EditorRefusesAHugeCell();
  void HugeCellsShowTheirStartOnly();
  void RowDragMovesData();
  void ColumnDragMovesData();
  void RowDragWithTheMouse();
  void DropOnTheNearHalfOfASectionLandsThere();
  void DefaultsAndResizeLimit();
  void NumberingViewShowsEveryCell();

private:
  // A shown window on the table page with the grid focused.
  app::TForm1& TablePage(Scratch& scratch);
};

void GridTest::ModelUnderTester() {
  merge::ResultTable table;
  app::GridModel model(table);
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  Fill(table, 5, 6);
  QCOMPARE(model.rowCount(), 5);
  QCOMPARE(model.columnCount(), 4);
  table.SetCell(2, 3, "x");
  table.SetCell(0, 3, "row head");
  table.SetCell(2, 0, "col head");
  table.SetCell(9, 9, "outside");
  table.SetColCount(3);
  table.SetRowCount(2);
  QCOMPARE(model.rowCount(), 1);
  QCOMPARE(model.columnCount(), 2);
  table.SetColCount(10);
  table.SetRowCount(10);
  QCOMPARE(model.index(8, 8).data().toString(), QStringLiteral("outside"));
  table.MoveRow(1, 4);
  table.MoveColumn(4, 0);
  table.ClearRow(2);
  table.BeginBulkChange();
  table.SetRowCount(40);
  table.SetCell(1, 30, "bulk");
  table.EndBulkChange();
  QCOMPARE(model.rowCount(), 39);
  QCOMPARE(model.index(29, 0).data().toString(), QStringLiteral("bulk"));
  table.ClearAll();
  QCOMPARE(model.rowCount(), 1);
  QCOMPARE(model.columnCount(), 1);
  table.SetColCount(1); // the fixed column goes
  QCOMPARE(model.columnCount(), 1);
  QCOMPARE(model.FixedCols(), 0);
  table.SetRowCount(1);
  QCOMPARE(model.FixedRows(), 0);
  table.SetCell(0, 0, "plain");
  QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("plain"));
}

void GridTest::FixedRowAndColumnAreHeaders() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  merge::ResultTable& table = form.Table();
  Fill(table, 4, 3);
  app::GridView* grid = form.StringGrid1;
  app::GridModel* model = grid->Model();
  QCOMPARE(grid->CornerText(), QStringLiteral("0:0"));
  QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("3:0"));
  QCOMPARE(model->headerData(1, Qt::Vertical).toString(), QStringLiteral("0:2"));
  QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("3:2"));
  table.SetCell(0, 0, "corner");
  QCOMPARE(grid->CornerText(), QStringLiteral("corner"));
  QVERIFY(!grid->horizontalHeader()->isHidden());
  QVERIFY(!grid->verticalHeader()->isHidden());
  QVERIFY(grid->verticalHeader()->sectionsMovable());
  QVERIFY(grid->horizontalHeader()->sectionsMovable());
  // The current cell starts at (1, 1) and can never be in a header.
  QCOMPARE(grid->currentIndex(), model->index(0, 0));
}

void GridTest::FixedColumnDropsForGood() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  merge::ResultTable& table = form.Table();
  Fill(table, 3, 3);
  table.SetColCount(1);
  table.SetColCount(3);
  app::GridView* grid = form.StringGrid1;
  app::GridModel* model = grid->Model();
  QCOMPARE(table.FixedCols(), 0);
  QCOMPARE(model->columnCount(), 3);
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("0:1"));
  QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("0:0"));
  QVERIFY(grid->verticalHeader()->isHidden());
  // No row can be dragged without a fixed column; columns still can.
  QVERIFY(!grid->verticalHeader()->sectionsMovable());
  QVERIFY(grid->horizontalHeader()->sectionsMovable());
  // Column 0 is an ordinary editable column now.
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("edited")));
  QCOMPARE(Cell(table, 0, 1), "edited");
  QCOMPARE(grid->CornerText(), QString());
}

app::TForm1& GridTest::TablePage(Scratch& scratch) {
  app::TForm1& form = scratch.Form();
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form))
    qWarning("window not active");
  form.SetActivePage(2);
  form.StringGrid1->setFocus();
  return form;
}

void GridTest::EditorTypingReplacesAndStoresAtOnce() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  table.SetCell(1, 1, "old");
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_X);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  QCOMPARE(editor->text(), QStringLiteral("x"));
  QCOMPARE(Cell(table, 1, 1), "x");
  QTest::keyClicks(editor, "yz");
  QCOMPARE(Cell(table, 1, 1), "xyz");
  QCOMPARE(editor->cursorPosition(), 3);
  // Backspace opens the editor with everything selected, so it all goes.
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
  grid->setCurrentIndex(grid->Model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_Backspace);
  QVERIFY(grid->Delegate()->OpenEditor() != nullptr);
  QCOMPARE(Cell(table, 1, 1), "");
}

void GridTest::EditorEscapeKeepsText() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  table.SetCell(1, 1, "old");
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_N);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  QTest::keyClicks(editor, "ew");
  QCOMPARE(Cell(table, 1, 1), "new");
  QTest::keyClick(editor, Qt::Key_Escape);
  QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
  QCOMPARE(Cell(table, 1, 1), "new");
  QCOMPARE(grid->Model()->index(0, 0).data().toString(), QStringLiteral("new"));
}

void GridTest::EditorF2AndEmptying() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  table.SetCell(1, 1, "ab");
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_F2);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  QVERIFY(!editor->hasSelectedText());
  QCOMPARE(editor->cursorPosition(), 2);
  QTest::keyClick(editor, Qt::Key_C);
  QCOMPARE(Cell(table, 1, 1), "abc");
  for (int i = 0; i < 3; ++i)
    QTest::keyClick(editor, Qt::Key_Backspace);
  QCOMPARE(Cell(table, 1, 1), "");
  QTest::keyClick(editor, Qt::Key_Escape);
  QCOMPARE(Cell(table, 1, 1), "");
  table.SetColCount(6);
  QCOMPARE(table.GetCell(1, 1).size(), std::size_t{0});
}

void GridTest::EditorShowsCommandChanges() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  table.SetCell(1, 1, "ab");
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_F2);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  table.SetCell(1, 1, "from a command");
  QCOMPARE(editor->text(), QStringLiteral("from a command"));
  // A command that changes the whole table reaches the editor too.
  form.N5->trigger();
  if (QLineEdit* still_open = grid->Delegate()->OpenEditor())
    QCOMPARE(still_open->text(), QString());
  QCOMPARE(Cell(table, 1, 1), "");
}

namespace {

// 100,000 bytes that use every byte the code page maps, Cyrillic included.
std::string LongCellBytes() {
  std::string bytes;
  for (int i = 0; bytes.size() < 100000; ++i)
    bytes.push_back(static_cast<char>(i % 7 == 0 ? 'a' + i % 26 : 0xC0 + i % 64));
  return bytes;
}

} // namespace

// The editor holds a cell of any length up to its limit: opening and closing
// it keeps every byte, and typing one character keeps all the others.
void GridTest::EditorKeepsALongCellWhole() {
  for (const merge::TextEncoding encoding :
       {merge::TextEncoding::kCp1251, merge::TextEncoding::kUtf8}) {
    Scratch scratch;
    app::TForm1& form = TablePage(scratch);
    merge::ResultTable& table = form.Table();
    table.SetEncoding(encoding);
    std::string bytes = LongCellBytes();
    if (encoding == merge::TextEncoding::kUtf8)
      bytes = QString::fromLatin1(QByteArray::fromStdString(bytes)).toStdString();
    table.SetCell(1, 1, bytes);
    app::GridView* grid = form.StringGrid1;
    QTest::keyClick(grid, Qt::Key_F2);
    QLineEdit* editor = grid->Delegate()->OpenEditor();
    QVERIFY(editor != nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
    QVERIFY(table.GetCell(1, 1) == bytes);

    QTest::keyClick(grid, Qt::Key_F2);
    editor = grid->Delegate()->OpenEditor();
    QVERIFY(editor != nullptr);
    QTest::keyClick(editor, Qt::Key_Z);
    QVERIFY(table.GetCell(1, 1) == bytes + "z");
    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClick(editor, Qt::Key_Delete);
    QTest::keyClick(editor, Qt::Key_Escape);
    QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
    QVERIFY(table.GetCell(1, 1) == bytes.substr(1) + "z");
  }
}

// A cell too long to edit in place is not copied into an editor: F2 says so
// and changes nothing, while a typed key still replaces it as it replaces any
// cell.
void GridTest::EditorRefusesAHugeCell() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  const std::string huge(app::CellDelegate::kInlineEditLimit + 1, 'h');
  table.SetCell(1, 1, huge);
  QStringList notices;
  const app::NoticeShower previous =
      app::SetNoticeShower([&](const QString&, const QString& text) { notices << text; });
  app::GridView* grid = form.StringGrid1;
  QTest::keyClick(grid, Qt::Key_F2);
  QVERIFY(grid->Delegate()->OpenEditor() == nullptr);
  QCOMPARE(notices.size(), 1);
  QVERIFY(notices[0].contains(QString::number(huge.size())));
  QVERIFY(table.GetCell(1, 1) == huge);
  // A typed key opens the editor empty and replaces the whole text.
  QTest::keyClick(grid, Qt::Key_X);
  QLineEdit* editor = grid->Delegate()->OpenEditor();
  QVERIFY(editor != nullptr);
  QCOMPARE(editor->text(), QStringLiteral("x"));
  QCOMPARE(Cell(table, 1, 1), QStringLiteral("x"));
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_VERIFY(grid->Delegate()->OpenEditor() == nullptr);
  QCOMPARE(Cell(table, 1, 1), QStringLiteral("x"));
  // Backspace empties it like any other cell.
  table.SetCell(1, 1, huge);
  QTest::keyClick(grid, Qt::Key_Backspace);
  QVERIFY(grid->Delegate()->OpenEditor() != nullptr);
  QCOMPARE(Cell(table, 1, 1), QString());
  QCOMPARE(notices.size(), 1);
  app::SetNoticeShower(previous);
}

// A cell of megabytes shows its first bytes and "…" in the grid, the headers
// and the corner; its edit text and the saved file keep every byte.
void GridTest::HugeCellsShowTheirStartOnly() {
  const QChar ellipsis(0x2026);
  const std::size_t limit = app::GridModel::kShownBytesLimit;
  for (const merge::TextEncoding encoding :
       {merge::TextEncoding::kCp1251, merge::TextEncoding::kUtf8}) {
    Scratch scratch;
    app::TForm1& form = scratch.Form();
    merge::ResultTable& table = form.Table();
    table.SetEncoding(encoding);
    // In UTF-8 the cut falls inside a two-byte character.
    std::string huge = encoding == merge::TextEncoding::kUtf8 ? "a" : "";
    while (huge.size() < (std::size_t{8} << 20))
      huge += encoding == merge::TextEncoding::kUtf8 ? "\xD0\x96" : "\xC6";
    Fill(table, 3, 3);
    for (const auto& [col, row] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}})
      table.SetCell(col, row, huge);
    app::GridModel* model = form.StringGrid1->Model();
    for (const QString& shown :
         {model->index(0, 0).data().toString(), model->headerData(0, Qt::Horizontal).toString(),
          model->headerData(0, Qt::Vertical).toString(), form.StringGrid1->CornerText()}) {
      QVERIFY(shown.size() <= static_cast<qsizetype>(limit) + 1);
      QVERIFY(shown.size() >= static_cast<qsizetype>(limit) / 2);
      QCOMPARE(shown.back(), ellipsis);
      QVERIFY(!shown.contains(QChar(0xFFFD)));
    }
    QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("2:2"));
    const QString whole = model->index(0, 0).data(Qt::EditRole).toString();
    QVERIFY(whole.toUtf8().size() >= static_cast<qsizetype>(huge.size()));
    QVERIFY(!whole.contains(ellipsis));
    QCOMPARE(model->index(0, 0).data(app::GridModel::kCellBytesRole).toULongLong(), huge.size());

    const std::string saved = scratch.Path("huge.csv").toStdString();
    exporter::SaveOptions options;
    options.utf8 = encoding == merge::TextEncoding::kUtf8;
    exporter::SaveTable(table, saved, options);
    QFile file(QString::fromStdString(saved));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const std::string line = file.readLine().toStdString();
    QVERIFY(line == huge + "," + huge + ",2:0,\r\n");
  }
  // Exactly at the limit nothing is cut.
  merge::ResultTable table;
  app::GridModel model(table);
  table.SetCell(1, 1, std::string(limit, 'q'));
  QCOMPARE(model.index(0, 0).data().toString(), QString(static_cast<qsizetype>(limit), u'q'));
}

void GridTest::RowDragMovesData() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  Fill(table, 3, 5);
  table.SetCell(7, 1, "beyond");
  app::GridView* grid = form.StringGrid1;
  QHeaderView* rows = grid->verticalHeader();
  rows->resizeSection(0, 40); // table row 1
  grid->setCurrentIndex(grid->Model()->index(0, 1));
  // Drag table row 1 (model row 0) onto table row 3 (model row 2).
  rows->moveSection(0, 2);
  QCOMPARE(Cell(table, 0, 1), "0:2");
  QCOMPARE(Cell(table, 1, 2), "1:3");
  QCOMPARE(Cell(table, 2, 3), "2:1");
  QCOMPARE(Cell(table, 7, 3), "beyond");
  QCOMPARE(Cell(table, 0, 0), "0:0");
  QCOMPARE(Cell(table, 0, 4), "0:4");
  // The header keeps its order; the height and the current cell went along.
  for (int i = 0; i < 4; ++i)
    QCOMPARE(rows->visualIndex(i), i);
  QCOMPARE(rows->sectionSize(2), 40);
  QCOMPARE(rows->sectionSize(0), app::GridView::kDefaultRowHeight);
  QCOMPARE(grid->currentIndex(), grid->Model()->index(2, 1));
  QCOMPARE(rows->model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("0:1"));
  // And back up again.
  rows->moveSection(2, 0);
  QCOMPARE(Cell(table, 2, 1), "2:1");
  QCOMPARE(rows->sectionSize(0), 40);
  QCOMPARE(grid->currentIndex(), grid->Model()->index(0, 1));
}

void GridTest::ColumnDragMovesData() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  Fill(table, 6, 3);
  table.SetCell(4, 7, "below");
  table.SetCell(1, 7, "below 1");
  app::GridView* grid = form.StringGrid1;
  QHeaderView* cols = grid->horizontalHeader();
  cols->resizeSection(2, 100); // table column 3
  // Drag table column 3 (model column 2) onto table column 1 (model column 0).
  cols->moveSection(2, 0);
  QCOMPARE(Cell(table, 1, 0), "3:0");
  QCOMPARE(Cell(table, 2, 1), "1:1");
  QCOMPARE(Cell(table, 3, 2), "2:2");
  QCOMPARE(Cell(table, 4, 2), "4:2");
  QCOMPARE(Cell(table, 2, 7), "below 1");
  QCOMPARE(Cell(table, 4, 7), "below");
  QCOMPARE(cols->sectionSize(0), 100);
  QCOMPARE(cols->sectionSize(2), app::GridView::kDefaultColWidth);
  QCOMPARE(cols->visualIndex(2), 2);
  QCOMPARE(grid->Model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("3:0"));
}

void GridTest::RowDragWithTheMouse() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  merge::ResultTable& table = form.Table();
  Fill(table, 3, 5);
  QHeaderView* rows = form.StringGrid1->verticalHeader();
  // Press on table row 3's fixed cell and drop it on table row 1.
  const QPoint from(10, rows->sectionViewportPosition(2) + 12);
  const QPoint to(10, rows->sectionViewportPosition(0) + 6);
  QTest::mousePress(rows->viewport(), Qt::LeftButton, {}, from);
  for (int y = from.y(); y >= to.y(); y -= 4)
    QTest::mouseMove(rows->viewport(), QPoint(10, y));
  QTest::mouseMove(rows->viewport(), to);
  QTest::mouseRelease(rows->viewport(), Qt::LeftButton, {}, to);
  QCOMPARE(Cell(table, 1, 1), QStringLiteral("1:3"));
  QCOMPARE(Cell(table, 1, 2), QStringLiteral("1:1"));
  QCOMPARE(Cell(table, 1, 3), QStringLiteral("1:2"));
  QCOMPARE(rows->visualIndex(0), 0);
}

namespace {

// Drags a header section with the mouse from one point to another.
void DragSection(QHeaderView* header, QPoint from, QPoint to) {
  QTest::mousePress(header->viewport(), Qt::LeftButton, {}, from);
  const QPoint step = (to - from) / 8;
  for (int i = 1; i < 8; ++i)
    QTest::mouseMove(header->viewport(), from + step * i);
  QTest::mouseMove(header->viewport(), to);
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, to);
  QCoreApplication::processEvents();
}

} // namespace

// Dropped on the upper half of a row further down (the left half of a column
// further right), the row goes to the row it was dropped on, not one short.
void GridTest::DropOnTheNearHalfOfASectionLandsThere() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  merge::ResultTable& table = form.Table();
  Fill(table, 5, 5);
  QHeaderView* rows = form.StringGrid1->verticalHeader();
  // Table row 1 onto the upper half of table row 3.
  DragSection(rows, QPoint(10, rows->sectionViewportPosition(0) + 12),
              QPoint(10, rows->sectionViewportPosition(2) + 4));
  QCOMPARE(Cell(table, 1, 1), QStringLiteral("1:2"));
  QCOMPARE(Cell(table, 1, 2), QStringLiteral("1:3"));
  QCOMPARE(Cell(table, 1, 3), QStringLiteral("1:1"));
  // Table row 1 (now "1:2") onto the upper half of the row right below it.
  DragSection(rows, QPoint(10, rows->sectionViewportPosition(0) + 12),
              QPoint(10, rows->sectionViewportPosition(1) + 4));
  QCOMPARE(Cell(table, 1, 1), QStringLiteral("1:3"));
  QCOMPARE(Cell(table, 1, 2), QStringLiteral("1:2"));

  QHeaderView* cols = form.StringGrid1->horizontalHeader();
  // Table column 1 onto the left half of table column 3.
  DragSection(cols, QPoint(cols->sectionViewportPosition(0) + 30, 10),
              QPoint(cols->sectionViewportPosition(2) + 6, 10));
  QCOMPARE(Cell(table, 1, 4), QStringLiteral("2:4"));
  QCOMPARE(Cell(table, 3, 4), QStringLiteral("1:4"));
  QCOMPARE(rows->visualIndex(0), 0);
  QCOMPARE(cols->visualIndex(0), 0);
}

void GridTest::DefaultsAndResizeLimit() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  app::GridView* grid = form.StringGrid1;
  QCOMPARE(grid->horizontalHeader()->defaultSectionSize(), 64);
  QCOMPARE(grid->verticalHeader()->defaultSectionSize(), 24);
  QCOMPARE(grid->textElideMode(), Qt::ElideNone);
  QVERIFY(!grid->wordWrap());
  QVERIFY(grid->showGrid());
  grid->horizontalHeader()->resizeSection(0, 1);
  QVERIFY(grid->horizontalHeader()->sectionSize(0) > 1);
}

void GridTest::NumberingViewShowsEveryCell() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  Fill(table, 28, 3);
  app::GridView* grid = form.StringGrid1;
  app::GridModel* model = grid->Model();
  QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
  form.Numbering->setChecked(true);
  QCOMPARE(model->rowCount(), 3);
  QCOMPARE(model->columnCount(), 28);
  QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("0:0"));
  QCOMPARE(grid->CornerText(), QString());
  const auto header = [model](int section, Qt::Orientation orientation) {
    return model->headerData(section, orientation).toString();
  };
  QCOMPARE(header(0, Qt::Vertical), QStringLiteral("1"));
  QCOMPARE(header(2, Qt::Vertical), QStringLiteral("3"));
  QCOMPARE(header(0, Qt::Horizontal), QStringLiteral("A"));
  QCOMPARE(header(25, Qt::Horizontal), QStringLiteral("Z"));
  QCOMPARE(header(27, Qt::Horizontal), QStringLiteral("AB"));
  // With a header line the columns take its names; a nameless one its letter.
  form.CheckBox8->setChecked(true);
  table.SetCell(1, 0, "");
  QCOMPARE(header(0, Qt::Horizontal), QStringLiteral("0:0"));
  QCOMPARE(header(1, Qt::Horizontal), QStringLiteral("B"));
  // The first row and column are cells like any other: edited, dragged.
  QVERIFY(model->setData(model->index(0, 0), QStringLiteral("top")));
  QCOMPARE(Cell(table, 0, 0), "top");
  QCOMPARE(header(0, Qt::Horizontal), QStringLiteral("top"));
  QVERIFY(grid->verticalHeader()->sectionsMovable());
  grid->verticalHeader()->moveSection(0, 2);
  QCOMPARE(Cell(table, 0, 2), "top");
  QCOMPARE(Cell(table, 0, 0), "0:1");
  // Off again: the fixed row and column are headers, the data unchanged.
  form.Numbering->setChecked(false);
  QCOMPARE(model->rowCount(), 2);
  QCOMPARE(grid->CornerText(), QStringLiteral("0:1"));
  QCOMPARE(Cell(table, 0, 2), "top");
}

QTEST_MAIN(GridTest)
#include "grid_test.moc"
