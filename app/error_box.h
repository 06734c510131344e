#pragma once
// The error box: every handler of the window runs inside Guard, which shows
// any error in one message box and lets the window go on. The box itself is
// a replaceable seam so that tests can read the text instead.

#include "platform/error_message.h"
#include "platform/errors.h"
#include "platform/progress.h"

#include <QString>

#include <exception>
#include <functional>
#include <new>
#include <string>

namespace app {

// Shows a finished error box text under the given title; `file` is the full
// name of the file the error concerns, shown below the text (empty: none).
using ErrorBoxShower =
    std::function<void(const QString& title, const QString& text, const QString& file)>;

// Replaces the process-wide shower (the default is a critical QMessageBox
// with one OK button) and returns the previous one; an empty function
// restores the default.
ErrorBoxShower SetErrorBoxShower(ErrorBoxShower shower);

// The box's text for an error message: a full stop is appended when the
// message's last byte sorts above ".".
QString ErrorBoxText(const std::string& message);
// The program's title: the program file's name cut at its first ".", every
// letter after the first in lower case.
QString ProgramTitle(const QString& program_file_path);

// `file`: the full name of the file concerned (file system bytes), or empty;
// `system_error` the system's number behind the error, 0 when unknown. The
// box shows the message as it is and, below it, the file and one Russian
// sentence on what happened and what to do (ErrorBoxDetails).
void ShowErrorBox(const std::string& message, const std::string& file = {}, int system_error = 0);
// What the box shows below the message: the file's name, then the sentence.
QString ErrorBoxDetails(const std::string& message, const QString& file, int system_error);

using platform::kOutOfMemory;

// Runs a handler; an error ends it and is shown, a cancellation is not.
// Whatever failed to get memory left the table as it was before that step;
// the window goes on.
template <typename Handler> void Guard(Handler&& handler) {
  try {
    handler();
  } catch (...) {
    const platform::ErrorMessage error = platform::CurrentErrorMessage();
    if (error.kind != platform::ErrorMessage::Kind::kCancelled)
      ShowErrorBox(error.text, error.file, error.system_error);
  }
}

} // namespace app
