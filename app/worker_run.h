#pragma once
// Work on the table that would hold the window up for seconds (sorting,
// finding repeats, finding a text in millions of rows) runs on a helper
// thread while the window waits with the progress dialog, as a collect
// does: the dialog shows after half a second, Cancel ends the work. The
// work only reads the table; the window changes nothing meanwhile (the
// dialog is modal) and paints through its own read cursor. What the work
// threw is thrown again here, platform::Cancelled when the user cancelled.

#include <QString>

#include <functional>

class QWidget;

namespace platform {
class Progress;
}

namespace app {

void RunOnWorker(QWidget* parent, const QString& caption,
                 const std::function<void(platform::Progress&)>& work);

} // namespace app
