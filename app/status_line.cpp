#include "app/status_line.h"

#include <QPainter>
#include <QStyleOption>

namespace app {

StatusLine::StatusLine(QWidget* parent) : QStatusBar(parent) {
  setSizeGripEnabled(false);
  connect(this, &QStatusBar::messageChanged, this, [this](const QString& message) {
    setToolTip(fontMetrics().horizontalAdvance(message) > width() ? message : QString());
  });
}

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
  const QString message = currentMessage();
  if (message.isEmpty())
    return;
  const int margin = style()->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, this);
  const QRect text_rect = rect().adjusted(margin, 0, -margin, 0);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(text_rect, Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                   fontMetrics().elidedText(message, Qt::ElideMiddle, text_rect.width()));
}

} // namespace app
