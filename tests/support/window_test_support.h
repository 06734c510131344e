#pragma once
// Helpers of the window's tests: a scratch directory that is the current
// directory while a window is built, and recorders in place of the error box
// and the warning box.

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/notice_box.h"
#include "app/unit1.h"
#include "platform/file_name_text.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace app_test {

// The first page's directory change for a directory named as text.
inline void ShowDirectory(app::FilePage& page, const QString& directory) {
  page.SetShownDirectory(platform::FileNameBytes(directory));
}

// Records the error boxes' texts instead of showing them.
class ErrorRecorder {
public:
  ErrorRecorder() {
    previous_ = app::SetErrorBoxShower(
        [this](const QString& title, const QString& text, const QString& file) {
          boxes.append({title, text});
          files.append(file);
        });
  }
  ~ErrorRecorder() { app::SetErrorBoxShower(previous_); }
  ErrorRecorder(const ErrorRecorder&) = delete;
  ErrorRecorder& operator=(const ErrorRecorder&) = delete;

  QStringList Texts() const {
    QStringList texts;
    for (const auto& box : boxes)
      texts.append(box.second);
    return texts;
  }

  QList<QPair<QString, QString>> boxes; // title and text
  QStringList files;                    // the file each box names, or empty

private:
  app::ErrorBoxShower previous_;
};

// Records the warnings instead of showing them.
class NoticeRecorder {
public:
  NoticeRecorder() {
    previous_ =
        app::SetNoticeShower([this](const QString&, const QString& text) { texts.append(text); });
  }
  ~NoticeRecorder() { app::SetNoticeShower(previous_); }
  NoticeRecorder(const NoticeRecorder&) = delete;
  NoticeRecorder& operator=(const NoticeRecorder&) = delete;

  QStringList texts;

private:
  app::NoticeShower previous_;
};

// A scratch directory holding files; a window made by Form() starts there.
class Scratch {
public:
  Scratch() : old_dir_(QDir::currentPath()) {}
  ~Scratch() {
    form_.reset();
    QDir::setCurrent(old_dir_);
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Dir() const { return dir_.path(); }

  // Closes the window; the next Form() starts a new one in the same directory.
  void Reset() { form_.reset(); }

  void Write(const QString& name, const QByteArray& bytes) const {
    QFile file(Path(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
      qFatal("cannot write %s", qPrintable(Path(name)));
    file.write(bytes);
  }

  // The window, built with the scratch directory current.
  app::TForm1& Form() {
    if (!form_) {
      QDir::setCurrent(dir_.path());
      form_ = std::make_unique<app::TForm1>();
      // As if the user had entered the directory: the check list mirrors it.
      form_->FilePage1->DirectoryListBox1Change();
    }
    return *form_;
  }

private:
  QString old_dir_;
  QTemporaryDir dir_;
  std::unique_ptr<app::TForm1> form_;
};

} // namespace app_test
