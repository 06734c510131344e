#pragma once
// The status line under the pages. A message wider than the window is
// elided in the middle, so that both its start and its end (a file's name,
// a size) stay in sight; the whole message is the line's tool tip.

#include <QStatusBar>

namespace app {

class StatusLine : public QStatusBar {
public:
  explicit StatusLine(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;
};

} // namespace app
