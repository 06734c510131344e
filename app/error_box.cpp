#include "app/error_box.h"

#include "platform/codepage.h"
#include "platform/error_advice.h"
#include "platform/file_name_text.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringDecoder>

namespace app {

namespace {

void ShowMessageBox(const QString& title, const QString& text, const QString& details) {
  QWidget* parent = QApplication::activeWindow();
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
  box.setObjectName(QStringLiteral("ErrorBox"));
  box.setInformativeText(details);
  box.exec();
}

ErrorBoxShower& CurrentShower() {
  static ErrorBoxShower shower;
  return shower;
}

// Messages are plain ASCII or carry a file name as the file system gave it
// (UTF-8 on Linux); anything else is taken as Windows-1251.
QString DecodeMessage(const std::string& message) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(QByteArrayView(message.data(), static_cast<qsizetype>(message.size())));
  if (!utf8.hasError())
    return text;
  return QString::fromStdU16String(platform::Cp1251ToUtf16(message));
}

} // namespace

ErrorBoxShower SetErrorBoxShower(ErrorBoxShower shower) {
  ErrorBoxShower previous = std::move(CurrentShower());
  CurrentShower() = std::move(shower);
  return previous;
}

QString ErrorBoxText(const std::string& message) {
  return DecodeMessage(platform::Sentence(message));
}

QString ProgramTitle(const QString& program_file_path) {
  QString name = QFileInfo(program_file_path).fileName();
  const qsizetype dot = name.indexOf(QLatin1Char('.'));
  if (dot >= 0)
    name.truncate(dot);
  if (name.size() > 1)
    name = name.left(1) + name.mid(1).toLower();
  return name;
}

QString ErrorBoxDetails(const std::string& message, const QString& file, int system_error) {
  const std::string advice =
      platform::ErrorAdvice(message, platform::FileNameBytes(file), system_error);
  QString details = file;
  if (!advice.empty()) {
    if (!details.isEmpty())
      details += QStringLiteral("\n\n");
    details += QString::fromUtf8(advice.data(), static_cast<qsizetype>(advice.size()));
  }
  return details;
}

void ShowErrorBox(const std::string& message, const std::string& file, int system_error) {
  const QString title = ProgramTitle(QCoreApplication::applicationFilePath());
  const QString text = ErrorBoxText(message);
  const QString file_name = platform::FileNameText(file);
  if (CurrentShower())
    CurrentShower()(title, text, file_name);
  else
    ShowMessageBox(title, text, ErrorBoxDetails(message, file_name, system_error));
}

} // namespace app
