// TForm1's editing tools on the grid: the clipboard (tab-separated text,
// as spreadsheets give and take it), Delete, and deleting and inserting
// rows and columns; each records its undo step.

#include "app/error_box.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/unit1.h"
#include "merge/table_edits.h"
#include "platform/codepage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeySequence>
#include <QMenu>

namespace app {

namespace {

QString TableText(const std::string& bytes, merge::TextEncoding encoding) {
  if (encoding == merge::TextEncoding::kUtf8)
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  return QString::fromStdU16String(platform::Cp1251ToUtf16(bytes));
}

std::string TableBytes(const QString& text, merge::TextEncoding encoding) {
  if (encoding == merge::TextEncoding::kUtf8)
    return text.toStdString();
  return platform::Utf16ToCp1251(text.toStdU16String());
}

} // namespace

void TForm1::BuildEditItems() {
  const auto add = [this](const char* name, const QString& caption, void (TForm1::*slot)(),
                          QList<QKeySequence> keys) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, slot);
    StringGrid1->addAction(action);
    return action;
  };
  N10 = add("N10", QStringLiteral("Копировать"), &TForm1::N10Click, {QKeySequence::Copy});
  N11 = add("N11", QStringLiteral("Вырезать"), &TForm1::N11Click, {QKeySequence::Cut});
  N12 = add("N12", QStringLiteral("Вставить"), &TForm1::N12Click, {QKeySequence::Paste});
  N13 = add("N13", QStringLiteral("Удалить строки"), &TForm1::N13Click, {});
  N14 = add("N14", QStringLiteral("Удалить столбцы"), &TForm1::N14Click, {});
  N15 = add("N15", QStringLiteral("Вставить строку"), &TForm1::N15Click, {});
  N16 = add("N16", QStringLiteral("Вставить столбец"), &TForm1::N16Click, {});
  ClearCells = add("ClearCells", QStringLiteral("Очистить ячейки"), &TForm1::ClearCellsClick,
                   {QKeySequence(Qt::Key_Delete)});
  PopupMenu2->addSeparator();
  PopupMenu2->addActions({N10, N11, N12, ClearCells});
  PopupMenu2->addSeparator();
  PopupMenu2->addActions({N13, N14, N15, N16});
}

void TForm1::RecordToolStep(std::unique_ptr<merge::HistoryStep> step) {
  if (step)
    RecordStep(std::move(step));
}

void TForm1::N10Click() {
  Guard([this] {
    const merge::CellRange range = StringGrid1->SelectedRange();
    if (range.end_col <= range.first_col)
      return;
    QApplication::clipboard()->setText(
        TableText(merge::CopyRange(*table_, range), table_->Encoding()));
  });
}

void TForm1::N11Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    if (range.end_col <= range.first_col)
      return;
    QApplication::clipboard()->setText(
        TableText(merge::CopyRange(*table_, range), table_->Encoding()));
    RecordToolStep(merge::ClearRange(*table_, range));
  });
}

void TForm1::N12Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    const QString text = QApplication::clipboard()->text();
    if (range.end_col <= range.first_col || text.isEmpty())
      return;
    const std::string bytes = TableBytes(text, table_->Encoding());
    RecordToolStep(merge::PasteText(*table_, range.first_col, range.first_row, bytes));
  });
}

void TForm1::ClearCellsClick() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    if (range.end_col > range.first_col)
      RecordToolStep(merge::ClearRange(*table_, range));
  });
}

void TForm1::N13Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    RecordToolStep(merge::DeleteRows(*table_, range.first_row, range.end_row - range.first_row));
  });
}

void TForm1::N14Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    RecordToolStep(merge::DeleteColumns(*table_, range.first_col, range.end_col - range.first_col));
  });
}

void TForm1::N15Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    if (range.end_row > range.first_row)
      RecordToolStep(merge::InsertRow(*table_, range.first_row));
  });
}

void TForm1::N16Click() {
  Guard([this] {
    CloseEditor();
    const merge::CellRange range = StringGrid1->SelectedRange();
    if (range.end_col > range.first_col)
      RecordToolStep(merge::InsertColumn(*table_, range.first_col));
  });
}

} // namespace app
