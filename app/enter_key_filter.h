#pragma once
// Enter or Return pressed in a widget runs one action and goes no further
// (a combo box would otherwise hand the key to its line edit a second time).

#include <QEvent>
#include <QKeyEvent>
#include <QObject>

#include <functional>

namespace app {

class EnterKeyFilter : public QObject {
public:
  EnterKeyFilter(QObject* parent, std::function<void()> on_enter)
      : QObject(parent), on_enter_(std::move(on_enter)) {}

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        on_enter_();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

private:
  std::function<void()> on_enter_;
};

} // namespace app
