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

} // namespace

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
