#include "app/desktop_seams.h"

#include "app/russian_file_details.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

namespace app {

namespace {

void OpenWithDesktop(const QString& name) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(name)));
}

QString ShowSaveDialog(QWidget* parent, const QString& start_name) {
  // No title, filter or default suffix of our own; choosing an existing file
  // asks nothing, since saving replaces it anyway.
  QFileDialog dialog(parent, QString(), start_name);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  UseRussianFileDetails(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return QString();
  return dialog.selectedFiles().constFirst();
}

OpenRequest& CurrentOpenRequest() {
  static OpenRequest request = OpenWithDesktop;
  return request;
}

SaveDialog& CurrentSaveDialog() {
  static SaveDialog dialog = ShowSaveDialog;
  return dialog;
}

} // namespace

OpenRequest SetOpenRequest(OpenRequest request) {
  OpenRequest previous = CurrentOpenRequest();
  CurrentOpenRequest() = request ? std::move(request) : OpenRequest(OpenWithDesktop);
  return previous;
}

SaveDialog SetSaveDialog(SaveDialog dialog) {
  SaveDialog previous = CurrentSaveDialog();
  CurrentSaveDialog() = dialog ? std::move(dialog) : SaveDialog(ShowSaveDialog);
  return previous;
}

void RequestOpen(const QString& name) {
  CurrentOpenRequest()(name);
}

QString AskSaveFileName(QWidget* parent, const QString& start_name) {
  return CurrentSaveDialog()(parent, start_name);
}

} // namespace app
