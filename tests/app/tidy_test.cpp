// The tidying tools through the window: their menu items after the four
// commands, sorting from the menu and by Ctrl+click on a column header,
// Ctrl+F and the find dialog's buttons, removing repeated rows.

#include "tests/support/window_test_support.h"

#include "app/find_dialog.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>

using app_test::Scratch;

namespace {

// Column 1 from row 1 down (row 0 is the fixed row, column 0 the fixed one).
void FillColumn(merge::ResultTable& table, const QStringList& texts) {
  table.SetColCount(3);
  table.SetRowCount(static_cast<int>(texts.size()) + 1);
  table.SetCell(1, 0, "head");
  for (int i = 0; i < texts.size(); ++i) {
    table.SetCell(1, i + 1, texts[i].toStdString());
    table.SetCell(0, i + 1, std::to_string(i)); // the row's old place travels with it
  }
}

QString Column(merge::ResultTable& table, int col) {
  QStringList texts;
  for (int r = 0; r < table.RowCount(); ++r)
    texts.append(QString::fromStdString(std::string(table.GetCell(col, r))));
  return texts.join(QLatin1Char(' '));
}

app::TForm1& TablePage(Scratch& scratch) {
  app::TForm1& form = scratch.Form();
  form.show();
  form.activateWindow();
  if (!QTest::qWaitForWindowActive(&form))
    qWarning("window not active");
  form.SetActivePage(2);
  form.StringGrid1->setFocus();
  return form;
}

} // namespace

class TidyTest : public QObject {
  Q_OBJECT
private slots:
  void ItemsFollowTheFourCommands();
  void SortsByTheCurrentColumnAndByHeaderClicks();
  void FindsReplacesAndMakesTheCellCurrent();
  void RemovesRepeatedRowsAndSaysHowMany();
};

void TidyTest::ItemsFollowTheFourCommands() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  QStringList captions;
  for (QAction* action : form.PopupMenu2->actions())
    if (!action->isSeparator())
      captions.append(action->text());
  // The four commands, undo and redo, the editing tools, the tidying tools,
  // the view option last.
  QCOMPARE(captions, QStringList({"Удалить пустые строки ",
                                  "Очистить",
                                  "Собрать повторно",
                                  "Добавить",
                                  "Отменить",
                                  "Повторить",
                                  "Копировать",
                                  "Вырезать",
                                  "Вставить",
                                  "Очистить ячейки",
                                  "Удалить строки",
                                  "Удалить столбцы",
                                  "Вставить строку",
                                  "Вставить столбец",
                                  "Сортировать по возрастанию",
                                  "Сортировать по убыванию",
                                  "Найти…",
                                  "Заменить…",
                                  "Удалить повторяющиеся строки",
                                  "Нумерация строк и столбцов"}));
  QCOMPARE(form.N19->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
  QCOMPARE(form.N20->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));
}

void TidyTest::SortsByTheCurrentColumnAndByHeaderClicks() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  merge::ResultTable& table = form.Table();
  FillColumn(table, {"10", "b", "", "9", "1,5", "a"});
  form.StringGrid1->setCurrentIndex(form.StringGrid1->Model()->index(0, 0)); // table column 1
  form.N17->trigger();
  // Numbers by value (with a decimal comma), then texts, empty last; the
  // fixed row 0 is data and takes part.
  QCOMPARE(Column(table, 1), QStringLiteral("1,5 9 10 a b head "));
  QTest::keyClick(form.StringGrid1, Qt::Key_Z, Qt::ControlModifier); // each tool is undone
  QCOMPARE(Column(table, 1), QStringLiteral("head 10 b  9 1,5 a"));
  QTest::keyClick(form.StringGrid1, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(Column(table, 1), QStringLiteral("1,5 9 10 a b head "));
  form.N18->trigger();
  QCOMPARE(Column(table, 1), QStringLiteral("head b a 10 9 1,5 "));
  // "Первая строка — заголовок": the header row stays on top.
  FillColumn(table, {"10", "b", "", "9"});
  form.CheckBox8->setChecked(true);
  QHeaderView* header = form.StringGrid1->horizontalHeader();
  const QPoint on_column_1(header->sectionViewportPosition(0) + 10, 10);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ControlModifier, on_column_1);
  QCOMPARE(Column(table, 1), QStringLiteral("head 9 10 b "));
  QCOMPARE(Column(table, 0), QStringLiteral(" 3 0 1 2")); // whole rows moved
  QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ControlModifier, on_column_1);
  QCOMPARE(Column(table, 1), QStringLiteral("head b 10 9 "));
  QCOMPARE(header->visualIndex(0), 0); // no drag came of it
}

void TidyTest::FindsReplacesAndMakesTheCellCurrent() {
  Scratch scratch;
  app::TForm1& form = TablePage(scratch);
  merge::ResultTable& table = form.Table();
  table.SetEncoding(merge::TextEncoding::kUtf8);
  table.SetColCount(4);
  table.SetRowCount(300);
  table.SetCell(2, 5, "Москва, центр");
  table.SetCell(1, 250, "москва");
  table.SetCell(3, 250, "МОСКВА");
  QTest::keyClick(form.StringGrid1, Qt::Key_F, Qt::ControlModifier);
  app::FindDialog* dialog = form.FindDialog1;
  QVERIFY(dialog && dialog->isVisible());
  dialog->Edit4->setText(QStringLiteral("москва"));
  QTest::keyClick(dialog->Edit4, Qt::Key_Return); // "Найти далее" is the default
  app::GridModel* model = form.StringGrid1->Model();
  const auto current = [&] {
    const QModelIndex i = form.StringGrid1->currentIndex();
    return QPoint(model->TableCol(i.column()), model->TableRow(i.row()));
  };
  QCOMPARE(current(), QPoint(2, 5));
  dialog->Button5->click();
  QCOMPARE(current(), QPoint(1, 250));
  dialog->Button6->click();
  QCOMPARE(current(), QPoint(2, 5));
  dialog->CheckBox12->setChecked(true); // match case: only the small letters
  dialog->Button5->click();
  QCOMPARE(current(), QPoint(1, 250));
  dialog->Button5->click(); // round the end back to it
  QCOMPARE(current(), QPoint(1, 250));
  dialog->CheckBox12->setChecked(false);
  dialog->Edit5->setText(QStringLiteral("Тверь"));
  dialog->Button8->click();
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Произведено замен: 3"));
  QCOMPARE(QString::fromStdString(std::string(table.GetCell(2, 5))),
           QStringLiteral("Тверь, центр"));
  QCOMPARE(QString::fromStdString(std::string(table.GetCell(3, 250))), QStringLiteral("Тверь"));
  form.N8->trigger();
  QCOMPARE(QString::fromStdString(std::string(table.GetCell(3, 250))), QStringLiteral("МОСКВА"));
  dialog->Edit4->setText(QStringLiteral("нет такого"));
  dialog->Button5->click();
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Не найдено: «нет такого»"));
}

void TidyTest::RemovesRepeatedRowsAndSaysHowMany() {
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  merge::ResultTable& table = form.Table();
  FillColumn(table, {"a", "b", "a", "b"});
  for (int r = 1; r < table.RowCount(); ++r)
    table.SetCell(0, r, ""); // rows equal where their column 1 is
  form.N21->trigger();
  QCOMPARE(Column(table, 1), QStringLiteral("head a b"));
  QCOMPARE(form.StatusBar1->currentMessage(), QStringLiteral("Удалено повторяющихся строк: 2"));
  form.N8->trigger();
  QCOMPARE(Column(table, 1), QStringLiteral("head a b a b"));
}

QTEST_MAIN(TidyTest)
#include "tidy_test.moc"
