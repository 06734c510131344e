// The program: one window, run until it is closed.

#include "app/unit1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Qt's own texts (standard buttons, dialogs) in Russian as well.
  QTranslator qt_translation;
  if (qt_translation.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_translation);
  app::TForm1 form;
  form.show();
  return QApplication::exec();
}
