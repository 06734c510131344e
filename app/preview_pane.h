#pragma once
// Beside the options of "Настройка": the button that finds them from the
// ticked files, what it found, and the first rows of one ticked file as the
// options split it.

#include "merge/preview.h"

#include <QString>
#include <QWidget>

class QPaintEvent;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace app {

// A caption for a narrow column: it asks for one line's height and no
// width of its own; a long text is cut with "…" (or, wrapping, takes the
// lines the width it is given needs), the whole of it in the tooltip.
class NarrowLabel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ text WRITE setText)
public:
  NarrowLabel(bool wrap, QWidget* parent);
  void setText(const QString& text);
  QString text() const { return text_; }
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  bool hasHeightForWidth() const override { return wrap_; }
  int heightForWidth(int width) const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  bool wrap_;
  QString text_;
};

class PreviewPane : public QWidget {
  Q_OBJECT
public:
  explicit PreviewPane(QWidget* parent = nullptr);

  // The rows of `preview`, headed by the file's bare name.
  void ShowPreview(const QString& name, const merge::Preview& preview);
  // A caption and no rows: no file to show, or why it cannot be read.
  void ShowReason(const QString& text);

  QPushButton* Button5 = nullptr; // "Определить"
  NarrowLabel* Label14 = nullptr; // what "Определить" found
  NarrowLabel* Label13 = nullptr; // the preview's caption
  QTableView* StringGrid2 = nullptr;

private:
  QStandardItemModel* model_ = nullptr;
};

} // namespace app
