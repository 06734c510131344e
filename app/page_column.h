#pragma once
// A page's widgets laid out top to bottom as rows, in the designed order and
// indents. Sizes come from the widgets' own size hints and the gaps between
// rows grow with the font's line height, so that captions are never clipped
// and widgets never run into each other, whatever font the desktop gives.
// Options added later join a page as a further row (AddRow) or beside an
// existing widget (the row returned by AddRow).

#include <QHBoxLayout>
#include <QVBoxLayout>

#include <initializer_list>

class QGridLayout;
class QLayout;
class QWidget;

namespace app {

class PageColumn {
public:
  // The page's rows start `left` pixels from its left edge and `top` from
  // its top; the space below the last row stays empty.
  PageColumn(QWidget* page, int left, int top);

  // A row below the last one, `gap` designed pixels lower (grown with the
  // font), its widgets side by side from `indent` pixels on. Returns the row
  // so that a later widget can be put beside them.
  QHBoxLayout* AddRow(int indent, int gap, std::initializer_list<QWidget*> widgets);
  // The same for a row that is a layout of its own (a grid of two columns).
  void AddLayoutRow(int indent, int gap, QLayout* layout);
  // A row that is a grid of two columns of captions over their widgets, the
  // left column at least `left_width` pixels wide, the rest of the row empty.
  // The caller fills the grid.
  QGridLayout* AddTwoColumnRow(int indent, int gap, int left_width);

  // A designed pixel distance grown in proportion to the font's line height
  // (never shrunk below the design).
  int Scaled(int pixels) const;

private:
  QWidget* page_;
  QVBoxLayout* column_;
};

} // namespace app
