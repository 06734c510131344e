#pragma once
// The small makers the page builders share: a widget named after its layout
// name with its designed size as its least, a check box, a delimiter box.

#include <QSize>
#include <QString>
#include <QWidget>

#include <algorithm>

class QCheckBox;
class QComboBox;

namespace app {

// Names a widget after its layout name. The designed size stays its least
// size; a wider caption or a taller font makes it larger. (An explicit least
// size would otherwise let a layout squeeze the widget below its text.)
template <typename W>
W* Named(W* widget, const char* name, int designed_width = 0, int designed_height = 0) {
  widget->setObjectName(QString::fromLatin1(name));
  if (designed_width > 0 || designed_height > 0) {
    widget->ensurePolished();
    const QSize hint = widget->sizeHint();
    widget->setMinimumSize(std::max(designed_width, designed_width > 0 ? hint.width() : 0),
                           std::max(designed_height, designed_height > 0 ? hint.height() : 0));
  }
  return widget;
}

QCheckBox* TickBox(const QString& caption, bool ticked, QWidget* parent);

// The editable delimiter box of reading and of saving, "," selected.
QComboBox* DelimiterBox(QWidget* parent);

} // namespace app
