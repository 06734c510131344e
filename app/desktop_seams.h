#pragma once
// Side effects on the desktop that tests must not let happen for real: the
// request to open a written file with its program, and the modal save-file
// dialog. Each is one replaceable function.

#include <QString>

#include <functional>

class QWidget;

namespace app {

// Asks the desktop to open `name` (resolved against the current directory)
// with the program associated with it; the outcome is not examined.
using OpenRequest = std::function<void(const QString& name)>;
// Shows the save-file dialog starting with `start_name`; the chosen full
// path, or an empty text when the user cancelled.
using SaveDialog = std::function<QString(QWidget* parent, const QString& start_name)>;

// Each replaces the process-wide function and returns the previous one; an
// empty function restores the default.
OpenRequest SetOpenRequest(OpenRequest request);
SaveDialog SetSaveDialog(SaveDialog dialog);

void RequestOpen(const QString& name);
QString AskSaveFileName(QWidget* parent, const QString& start_name);

} // namespace app
