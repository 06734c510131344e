// The pages follow the font: at the default font and at one half larger, on
// every page no two visible widgets overlap, none reaches out of its parent
// or the window, and every caption fits its widget. Run once more with the
// whole window scaled twice (QT_SCALE_FACTOR=2).

#include "tests/support/window_test_support.h"

#include "app/page_column.h"
#include "app/unit1.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

using app_test::Scratch;

namespace {

// The widgets a user reads or clicks: captions, buttons, boxes, edits and
// lists, but not the parts they are made of.
bool IsContentWidget(const QWidget* widget) {
  if (!qobject_cast<const QLabel*>(widget) && !qobject_cast<const QAbstractButton*>(widget) &&
      !qobject_cast<const QComboBox*>(widget) && !qobject_cast<const QLineEdit*>(widget) &&
      !qobject_cast<const QAbstractItemView*>(widget))
    return false;
  for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget()) {
    if (qobject_cast<QComboBox*>(up) || qobject_cast<QAbstractItemView*>(up) ||
        qobject_cast<QTabBar*>(up))
      return false;
  }
  return !qobject_cast<const QTabBar*>(widget);
}

QRect InWindow(const QWidget* widget, const QWidget* window) {
  return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// The part of the widget its ancestors below the window leave in sight: a
// list that by design reaches past the bottom of its pane shows only its top.
QRect SeenInWindow(const QWidget* widget, const QWidget* window) {
  QRect rect = InWindow(widget, window);
  for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
       up = up->parentWidget())
    rect &= InWindow(up, window);
  return rect;
}

QString Name(const QWidget* widget) {
  return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                        : widget->objectName();
}

// Everything wrong with the page shown, one line per fault.
QStringList Faults(const app::TForm1& form) {
  QStringList faults;
  QList<const QWidget*> shown;
  for (const QWidget* widget : form.findChildren<QWidget*>()) {
    // A widget kept out of sight (the file list below the directory list at
    // the designed size) is not shown.
    if (widget->isVisible() && IsContentWidget(widget) && !SeenInWindow(widget, &form).isEmpty())
      shown.append(widget);
  }
  for (const QWidget* widget : shown) {
    const QRect rect = SeenInWindow(widget, &form);
    if (!QRect(QPoint(0, 0), widget->parentWidget()->size()).contains(widget->geometry()) ||
        !form.rect().contains(rect))
      faults << QStringLiteral("%1 is cut off by its parent or the window").arg(Name(widget));
    QSize needed = widget->sizeHint();
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractItemView*>(widget))
      needed = QSize(0, widget->minimumSizeHint().height());
    if (needed.width() > widget->width() || needed.height() > widget->height())
      faults << QStringLiteral("%1 is %2x%3, its text needs %4x%5")
                    .arg(Name(widget))
                    .arg(widget->width())
                    .arg(widget->height())
                    .arg(needed.width())
                    .arg(needed.height());
  }
  for (int i = 0; i < shown.size(); ++i) {
    for (int j = i + 1; j < shown.size(); ++j) {
      if (SeenInWindow(shown[i], &form).intersects(SeenInWindow(shown[j], &form)))
        faults << QStringLiteral("%1 and %2 overlap").arg(Name(shown[i]), Name(shown[j]));
    }
  }
  return faults;
}

} // namespace

class LayoutTest : public QObject {
  Q_OBJECT
private slots:
  void PagesFitTheFont_data();
  void PagesFitTheFont();
  void LaterOptionsJoinTheirPage();
  void NothingCollapsesAtTheSmallestSize();
};

void LayoutTest::PagesFitTheFont_data() {
  QTest::addColumn<double>("font_scale");
  QTest::newRow("default font") << 1.0;
  QTest::newRow("font 1.5 times larger") << 1.5;
}

void LayoutTest::PagesFitTheFont() {
  QFETCH(double, font_scale);
  const QFont before = QApplication::font();
  QFont font = before;
  if (font.pointSizeF() > 0)
    font.setPointSizeF(font.pointSizeF() * font_scale);
  else
    font.setPixelSize(qRound(font.pixelSize() * font_scale));
  QApplication::setFont(font);
  {
    Scratch scratch;
    scratch.Write(QStringLiteral("a.csv"), "1,2\n");
    app::TForm1& form = scratch.Form();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (int page = 0; page < form.PageControl1->count(); ++page) {
      form.SetActivePage(page);
      form.PageControl1Change(); // Button1 as the user would see it on this page
      QApplication::processEvents();
      const QStringList faults = Faults(form);
      if (!faults.isEmpty())
        QFAIL(qPrintable(QStringLiteral("page %1: %2").arg(page).arg(faults.join("; "))));
    }
  }
  QApplication::setFont(before);
}

void LayoutTest::LaterOptionsJoinTheirPage() {
  // An option added to a page after the window is built takes a row of its
  // own below the last one, and a box added beside "Использовать UTF8"
  // stands to its right; neither overlaps anything.
  Scratch scratch;
  app::TForm1& form = scratch.Form();
  auto* extra = new QCheckBox(QStringLiteral("Ещё один довольно длинный флажок"), form.TabSheet2);
  form.SettingsRows().AddRow(16, 7, {extra});
  auto* beside = new QCheckBox(QStringLiteral("BOM"), form.TabSheet4);
  form.Utf8Row()->insertWidget(form.Utf8Row()->indexOf(form.CheckBox4) + 1, beside);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.SetActivePage(1);
  QApplication::processEvents();
  QVERIFY(extra->y() >= form.Edit3->geometry().bottom());
  QVERIFY2(Faults(form).isEmpty(), qPrintable(Faults(form).join("; ")));
  form.SetActivePage(3);
  QApplication::processEvents();
  QVERIFY(beside->x() > form.CheckBox4->geometry().right());
  QCOMPARE(beside->y(), form.CheckBox4->y());
  QVERIFY2(Faults(form).isEmpty(), qPrintable(Faults(form).join("; ")));
}

void LayoutTest::NothingCollapsesAtTheSmallestSize() {
  // The smallest window the window allows, and a size between it and the
  // designed one: every page still fits.
  Scratch scratch;
  scratch.Write(QStringLiteral("a.csv"), "1,2\n");
  app::TForm1& form = scratch.Form();
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  for (const QSize size : {form.minimumSize(), QSize(634, 400)}) {
    form.resize(size.expandedTo(form.minimumSize()));
    for (int page = 0; page < form.PageControl1->count(); ++page) {
      form.SetActivePage(page);
      form.PageControl1Change();
      QApplication::processEvents();
      const QStringList faults = Faults(form);
      if (!faults.isEmpty())
        QFAIL(qPrintable(QStringLiteral("%1x%2, page %3: %4")
                             .arg(form.width())
                             .arg(form.height())
                             .arg(page)
                             .arg(faults.join("; "))));
    }
  }
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
