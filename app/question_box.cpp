#include "app/question_box.h"

#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

namespace {

QuestionAsker& CurrentAsker() {
  static QuestionAsker asker;
  return asker;
}

} // namespace

QuestionAsker SetQuestionAsker(QuestionAsker asker) {
  QuestionAsker previous = std::move(CurrentAsker());
  CurrentAsker() = std::move(asker);
  return previous;
}

Answer AskQuestion(const QString& text) {
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
