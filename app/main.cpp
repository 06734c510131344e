// The program: with arguments a run without the window (on a core
// application, so that no display is needed); without, one window, run
// until it is closed.

#include "app/notice_box.h"
#include "app/unit1.h"
#include "cli/batch_run.h"
#include "platform/file_name_text.h"
#include "platform/kept_content.h"
#include "platform/process_start.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <string>
#include <vector>

namespace {

int RunWindow(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // Qt's own texts (standard buttons, dialogs) in Russian as well.
  QTranslator qt_translation;
  if (qt_translation.load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt_translation);
  app::TForm1 form;
  form.show();
  // A save killed earlier while it wrote over its file left that file's
  // whole new content aside.
  for (const platform::LeftContent& left : platform::LeftContents())
    app::ShowNotice(platform::FileNameText(platform::LeftContentMessage(left)));
  return QApplication::exec();
}

} // namespace

int main(int argc, char* argv[]) {
  platform::SecureProcessStart();
  if (const std::string plugins = platform::PluginDirectory(); !plugins.empty())
    QCoreApplication::setLibraryPaths({platform::FileNameText(plugins)});
  if (argc <= 1)
    return RunWindow(argc, argv);
  // The arguments are taken as given, before Qt could read any as its own.
  const std::vector<std::string> args = platform::ProgramArguments(argc, argv);
  platform::AttachToParentConsole();
  int core_argc = 1;
  QCoreApplication application(core_argc, argv);
  return cli::RunBatch(args, stderr, platform::StandardErrorIsTerminal());
}
