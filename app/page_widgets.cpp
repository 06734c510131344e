#include "app/page_widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QStringList>

namespace app {

namespace {

QStringList DelimiterItems() {
  return {QStringLiteral(";"), QStringLiteral(","),
          QStringLiteral(":"), QStringLiteral("        (Tab)"),
          QStringLiteral("}"), QStringLiteral("{"),
          QStringLiteral(")"), QStringLiteral("("),
          QStringLiteral("|")};
}

} // namespace

QComboBox* DelimiterBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  // What is typed is what counts: no completion, no new items on Enter.
  box->setCompleter(nullptr);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(DelimiterItems());
  box->setCurrentIndex(1);
  return box;
}

QCheckBox* TickBox(const QString& caption, bool ticked, QWidget* parent) {
  auto* box = new QCheckBox(caption, parent);
  box->setChecked(ticked);
  return box;
}

} // namespace app
