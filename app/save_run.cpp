// TForm1's save: Button2Click writes the table, Button4Click picks the
// output's name; a successful save also stores init.ini.

#include "app/desktop_seams.h"
#include "app/encoding_notice.h"
#include "app/error_box.h"
#include "app/form_values.h"
#include "app/notice_box.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/work_progress.h"
#include "export/save_table.h"
#include "platform/file_name_text.h"
#include "platform/working_directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStatusBar>

namespace app {

void TForm1::Button2Click() {
  Guard([this] {
    exporter::SaveOptions options = SaveOptionsOf(*this);
    exporter::SaveReport report;
    options.report = &report;
    const QString name = Edit1->text();
    {
      WorkProgress progress(this, WorkProgress::kWritten);
      // An empty name is refused there with "Invalid filename": nothing is
      // written or opened and the settings are not stored.
      const bool existed = !name.isEmpty() && QFileInfo::exists(name);
      try {
        exporter::SaveTable(*table_, platform::FileNameBytes(name), options, &progress);
      } catch (const platform::Cancelled&) {
        // A cancelled save never gets to replace the file.
        StatusBar1->showMessage(SaveCancelledText(
            QDir::toNativeSeparators(QFileInfo(name).absoluteFilePath()), existed));
        throw;
      }
    }
    // A relative name was written against the current directory, as now.
    const QFileInfo written(name);
    StatusBar1->showMessage(
        SavedText(QDir::toNativeSeparators(written.absoluteFilePath()), written.size()));
    RequestOpen(name);
    StoreSettings();
    // Characters a Windows-1251 file could not hold are not lost silently.
    if (report.replaced_characters > 0)
      ShowNotice(SaveEncodingNotice(report));
  });
}

void TForm1::Button4Click() {
  Guard([this] {
    const QString chosen = AskSaveFileName(this, last_save_dialog_name_);
    if (chosen.isEmpty())
      return;
    last_save_dialog_name_ = chosen;
    Edit1->setText(chosen);
    // The current directory stays at the chosen file's folder until the next
    // directory change on the first page.
    platform::WorkingDirectory::Enter(platform::FileNameBytes(QFileInfo(chosen).absolutePath()));
  });
}

} // namespace app
