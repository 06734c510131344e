// Loaded into the real program by the end-to-end test (LD_PRELOAD), never
// linked into it: every 100 ms it writes where the named widgets stand on
// the screen and what they show, so that the test can click them with real
// input events and check what the window holds. Active only when
// KLEITAB_E2E_PROBE names the file to write.
//
// One line per widget, fields separated by tabs:
//   objectName  x  y  width  height  visible  state  text
// x and y are screen coordinates of the widget's top left corner; state is
// "1"/"0" for a check box, the current index for a combo box or notebook,
// the item count for a list. Each list item follows its list as a line
// "<list>[i]  -  -  -  -  -  checked  text", and each tab of a notebook as
// "<notebook>.tab[i]  x  y  width  height  1  -  caption", each named item
// of a menu as "<item>  x  y  width  height  shown  -  caption", and the
// first 4 x 4 cells of a grid as "<grid>.cell[r,c]  x  y  width  height  1
// current  text". A status bar's text is its message; a table view's state
// is its current cell as "row,column" of its model, its text that cell's.
// Tabs and line ends in texts are written as spaces.
//
// KLEITAB_E2E_FONT_SCALE=1.5 makes the program's font one half larger, as a
// desktop with a larger font would, before the window is built.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

QString Flat(QString text) {
  text.replace(QLatin1Char('\t'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  return text;
}

QString Describe(const QWidget* widget) {
  QString state = QStringLiteral("-");
  QString text;
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
    state = button->isCheckable() ? QString::number(button->isChecked() ? 1 : 0) : state;
    text = button->text();
  } else if (const auto* combo = qobject_cast<const QComboBox*>(widget)) {
    state = QString::number(combo->currentIndex());
    text = combo->currentText();
  } else if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
    text = edit->text();
  } else if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
    state = QString::number(tabs->currentIndex());
  } else if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
    state = QString::number(list->count());
  } else if (const auto* bar = qobject_cast<const QStatusBar*>(widget)) {
    text = bar->currentMessage();
  } else if (const auto* table = qobject_cast<const QTableView*>(widget)) {
    const QModelIndex current = table->currentIndex();
    state = QStringLiteral("%1,%2").arg(current.row()).arg(current.column());
    text = current.data().toString();
  } else if (const auto* box = qobject_cast<const QMessageBox*>(widget)) {
    text = box->text() + QLatin1Char(' ') + box->informativeText();
  } else if (widget->property("text").isValid()) {
    text = widget->property("text").toString();
  } else if (widget->isWindow()) {
    text = widget->windowTitle();
  }
  const QPoint at = widget->mapToGlobal(QPoint(0, 0));
  QString line = QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\n")
                     .arg(widget->objectName())
                     .arg(at.x())
                     .arg(at.y())
                     .arg(widget->width())
                     .arg(widget->height())
                     .arg(widget->isVisible() ? 1 : 0)
                     .arg(state, Flat(text));
  if (const auto* tabs = qobject_cast<const QTabWidget*>(widget)) {
    const QTabBar* bar = tabs->tabBar();
    for (int i = 0; i < bar->count(); ++i) {
      const QRect rect = bar->tabRect(i);
      const QPoint tab_at = bar->mapToGlobal(rect.topLeft());
      line += QStringLiteral("%1.tab[%2]\t%3\t%4\t%5\t%6\t1\t-\t%7\n")
                  .arg(widget->objectName())
                  .arg(i)
                  .arg(tab_at.x())
                  .arg(tab_at.y())
                  .arg(rect.width())
                  .arg(rect.height())
                  .arg(Flat(bar->tabText(i)));
    }
  }
  // A menu's named items, where they stand while it is open (visible and
  // enabled as 1), and a grid's first cells with their texts.
  if (const auto* menu = qobject_cast<const QMenu*>(widget)) {
    for (QAction* action : menu->actions()) {
      if (action->objectName().isEmpty())
        continue;
      const QRect rect = menu->actionGeometry(action);
      const QPoint item_at = menu->mapToGlobal(rect.topLeft());
      line += QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t-\t%7\n")
                  .arg(action->objectName())
                  .arg(item_at.x())
                  .arg(item_at.y())
                  .arg(rect.width())
                  .arg(rect.height())
                  .arg(menu->isVisible() && action->isEnabled() ? 1 : 0)
                  .arg(Flat(action->text()));
    }
  }
  if (const auto* grid = qobject_cast<const QTableView*>(widget)) {
    const QAbstractItemModel* model = grid->model();
    for (int r = 0; model != nullptr && r < std::min(model->rowCount(), 4); ++r) {
      for (int c = 0; c < std::min(model->columnCount(), 4); ++c) {
        const QModelIndex index = model->index(r, c);
        const QRect rect = grid->visualRect(index);
        const QPoint cell_at = grid->viewport()->mapToGlobal(rect.topLeft());
        line += QStringLiteral("%1.cell[%2,%3]\t%4\t%5\t%6\t%7\t1\t%8\t%9\n")
                    .arg(widget->objectName())
                    .arg(r)
                    .arg(c)
                    .arg(cell_at.x())
                    .arg(cell_at.y())
                    .arg(rect.width())
                    .arg(rect.height())
                    .arg(grid->currentIndex() == index ? 1 : 0)
                    .arg(Flat(index.data().toString()));
      }
    }
  }
  if (const auto* list = qobject_cast<const QListWidget*>(widget)) {
    for (int i = 0; i < list->count(); ++i) {
      const QListWidgetItem* item = list->item(i);
      line += QStringLiteral("%1[%2]\t-\t-\t-\t-\t-\t%3\t%4\n")
                  .arg(widget->objectName())
                  .arg(i)
                  .arg(item->checkState() == Qt::Checked ? 1 : 0)
                  .arg(Flat(item->text()));
    }
  }
  return line;
}

void WriteProbe(const QString& path) {
  QString all;
  for (const QWidget* widget : QApplication::allWidgets()) {
    if (!widget->objectName().isEmpty() || qobject_cast<const QMessageBox*>(widget))
      all += Describe(widget);
  }
  // Written beside and renamed, so that a reader never sees half a file.
  QFile file(path + QStringLiteral(".new"));
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return;
  file.write(all.toUtf8());
  file.close();
#ifdef _WIN32
  ::MoveFileExW(reinterpret_cast<const wchar_t*>((path + QStringLiteral(".new")).utf16()),
                reinterpret_cast<const wchar_t*>(path.utf16()), MOVEFILE_REPLACE_EXISTING);
#else
  std::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(),
              QFile::encodeName(path).constData());
#endif
}

void ScaleFont() {
  bool ok = false;
  const double scale = qEnvironmentVariable("KLEITAB_E2E_FONT_SCALE").toDouble(&ok);
  if (!ok || scale <= 0)
    return;
  QFont font = QApplication::font();
  if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * scale);
  else
    font.setPixelSize(qRound(font.pixelSize() * scale));
  QApplication::setFont(font);
}

void StartProbe() {
  const QString path = qEnvironmentVariable("KLEITAB_E2E_PROBE");
  if (path.isEmpty() || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
    return;
  ScaleFont();
  auto* timer = new QTimer(QCoreApplication::instance());
  QObject::connect(timer, &QTimer::timeout, [path] { WriteProbe(path); });
  timer->start(100);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartProbe)
