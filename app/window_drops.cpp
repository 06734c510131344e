// TForm1 takes a folder or files dropped from a file manager: they are shown
// on the first page (FilePage::ShowDropped), which becomes the page shown.

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/unit1.h"
#include "platform/file_name_text.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

namespace app {

namespace {

// The local paths a drop carries; none when anything in it is not local.
std::vector<std::string> LocalPaths(const QMimeData* data) {
  std::vector<std::string> paths;
  if (data == nullptr || !data->hasUrls())
    return paths;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile())
      return {};
    paths.push_back(platform::FileNameBytes(url.toLocalFile()));
  }
  return paths;
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalPaths(event->mimeData()).empty())
    event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
  const std::vector<std::string> paths = LocalPaths(event->mimeData());
  if (paths.empty())
    return;
  event->acceptProposedAction();
  Guard([this, &paths] {
    FilePage1->ShowDropped(paths);
    SetActivePage(kPageFiles);
    ShowButton1ForPage();
  });
}

} // namespace app
