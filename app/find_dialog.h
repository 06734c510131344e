#pragma once
// "Найти и заменить", FindDialog1: a window beside the grid (Ctrl+F, Ctrl+H,
// or the grid's menu) that finds a text in the cells that can be current,
// next or previous from the current cell, going round at the end, and
// replaces it there or everywhere. The cell found becomes current and is
// scrolled into view; the status line says what was found or replaced.

#include "merge/table_find.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace app {

class GridView;
class TForm1;

class FindDialog : public QDialog {
  Q_OBJECT
public:
  // A replacement is one step of the form's history.
  explicit FindDialog(TForm1& form);

  // Shown with the text to find selected, or with the focus on the
  // replacement (Ctrl+H).
  void Open(bool replace);

  QLineEdit* Edit4 = nullptr;      // "Найти:"
  QLineEdit* Edit5 = nullptr;      // "Заменить на:"
  QCheckBox* CheckBox12 = nullptr; // "Учитывать регистр"
  QCheckBox* CheckBox13 = nullptr; // "Ячейка целиком"
  QPushButton* Button5 = nullptr;  // "Найти далее"
  QPushButton* Button6 = nullptr;  // "Найти ранее"
  QPushButton* Button7 = nullptr;  // "Заменить"
  QPushButton* Button8 = nullptr;  // "Заменить все"
  QPushButton* Button9 = nullptr;  // "Закрыть"

public slots:
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();

private:
  // The texts as the table holds them; false when the text sought has a
  // character the table's encoding cannot hold (it cannot be there).
  bool Needle(std::string& needle) const;
  // A text as the table holds it (a character Windows-1251 has no byte
  // for becomes "?", as typed into a cell).
  std::string TableText(const QString& text) const;
  merge::FindOptions Options() const;
  // The current cell in table coordinates (the area's start when none).
  merge::CellPlace Current() const;
  void MakeCurrent(merge::CellPlace place);
  // Finds and shows the next match; false when there is none.
  bool FindNext(bool backward);

  TForm1& form_;
  GridView* grid_;
  QStatusBar* status_;
};

} // namespace app
