#include "app/notice_box.h"

#include "app/error_box.h"

#include <QApplication>
#include <QMessageBox>

namespace app {

namespace {

NoticeShower& CurrentShower() {
  static NoticeShower shower;
  return shower;
}

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

bool AskToGoOn(const QString& text) {
  const QString title = ProgramTitle(QCoreApplication::applicationFilePath());
  if (CurrentAsker())
    return CurrentAsker()(title, text);
  QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

NoticeShower SetNoticeShower(NoticeShower shower) {
  NoticeShower previous = std::move(CurrentShower());
  CurrentShower() = std::move(shower);
  return previous;
}

void ShowNotice(const QString& text) {
  const QString title = ProgramTitle(QCoreApplication::applicationFilePath());
  if (CurrentShower()) {
    CurrentShower()(title, text);
    return;
  }
  QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

QString OpenQuoteNotice(int files) {
  return QStringLiteral("Кавычка не закрыта до конца файла (файлов: %1): текст после неё "
                        "помещён в одну ячейку.")
      .arg(files);
}

} // namespace app
