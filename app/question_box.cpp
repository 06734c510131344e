#include "app/question_box.h"

#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

namespace {

ChoiceAsker& CurrentAsker() {
  static ChoiceAsker asker;
  return asker;
}

} // namespace

ChoiceAsker SetChoiceAsker(ChoiceAsker asker) {
  ChoiceAsker previous = std::move(CurrentAsker());
  CurrentAsker() = std::move(asker);
  return previous;
}

Answer AskChoice(const QString& text) {
  const QString title = ProgramTitle(QCoreApplication::applicationFilePath());
  if (CurrentAsker())
    return CurrentAsker()(title, text);
  QMessageBox box(QMessageBox::Question, title, text,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Yes);
  const int answer = box.exec();
  return answer == QMessageBox::Yes  ? Answer::kYes
         : answer == QMessageBox::No ? Answer::kNo
                                     : Answer::kCancel;
}

} // namespace app
