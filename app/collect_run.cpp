// TForm1's collects: Button1 on "Настройка", "Собрать повторно" and
// "Добавить", each a driver run over the check list with the progress dialog.

#include "app/encoding_notice.h"
#include "app/error_box.h"
#include "app/file_page.h"
#include "app/form_values.h"
#include "app/grid_view.h"
#include "app/notice_box.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/work_progress.h"
#include "merge/collect_rows.h"
#include "merge/result_table.h"
#include "merge/table_edits.h"
#include "platform/error_message.h"
#include "platform/file_name_text.h"
#include "platform/progress.h"

#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>

#include <algorithm>

namespace app {

void TForm1::RunCollect(CollectDriver driver, bool clears_first) {
  merge::CollectOptions options = CollectOptionsOf(*this);
  CloseEditor();
  // The old table is kept whole for undo (moved, not copied), unless the
  // history cannot hold it and the user chose to go on without.
  std::unique_ptr<merge::HistoryStep> step;
  if (clears_first) {
    if (history_.Fits(table_->MemoryUsed()))
      step = merge::TableSwap::EmptyKeeping(*table_); // the driver clears it
    else if (!MayGoOnWithoutUndo(table_->MemoryUsed()))
      return;
  } else {
    // Only what lies below the table (beside it, side by side) is written;
    // a fresh table takes the first file from row 0 (column 0).
    const bool fresh = merge::collect_rows::IsFreshTable(*table_);
    const bool beside = driver == &merge::CollectFiles && options.side_by_side;
    const std::int32_t first_row = beside ? INT32_MAX : fresh ? 0 : table_->RowCount();
    const std::int32_t first_col = !beside ? INT32_MAX : fresh ? 0 : table_->ColCount();
    step = std::make_unique<merge::AddedPart>(*table_, first_row, first_col);
  }
  // A collect cut short by an error or a cancel has changed the table too.
  struct RecordAtEnd {
    TForm1& form;
    std::unique_ptr<merge::HistoryStep>& step;
    ~RecordAtEnd() {
      if (step)
        form.RecordStep(std::move(step));
    }
  } record_at_end{*this, step};
  merge::EncodingReport report;
  options.encoding_report = &report;
  merge::CollectSummary summary;
  {
    WorkProgress progress(this);
    try {
      merge::BulkChange bulk(*table_);
      summary = driver(
          *table_, *FilePage1, options, [this] { Button1->setText(Button1Caption(kPageTable)); },
          &progress);
    } catch (const platform::Cancelled&) {
      // What was read stays in the table: say that it is only part of the job.
      const std::int32_t started = progress.FilesStarted();
      StatusBar1->showMessage(CancelledText(std::max(started - 1, 0), progress.JobFiles(),
                                            started > 0 ? progress.FileName() : QString()));
      ShowButton1ForPage(); // the collect set "Сохранить" but the page stays
      throw;
    } catch (...) {
      // The error box names the file; the status line keeps what was done.
      // A file that failed to open was never started: the last one started
      // was then placed whole.
      const platform::ErrorMessage error = platform::CurrentErrorMessage();
      const QString failed = QFileInfo(platform::FileNameText(error.file)).fileName();
      const std::int32_t started = progress.FilesStarted();
      if (!failed.isEmpty()) {
        const bool in_started = started > 0 && failed == progress.FileName();
        StatusBar1->showMessage(
            StoppedText(in_started ? started - 1 : started, progress.JobFiles(), failed));
      }
      throw;
    }
  }
  ShowTableSize();
  StringGrid1->FitColumnsToContents();
  // Told once the work is done and the grid shows its result.
  if (!report.Empty())
    ShowNotice(CollectEncodingNotice(report));
  if (summary.files_with_open_quote > 0)
    ShowNotice(OpenQuoteNotice(summary.files_with_open_quote));
}

void TForm1::N6Click() {
  Guard([this] { RunCollect(&merge::CollectAgain, true); });
}

void TForm1::N7Click() {
  Guard([this] { RunCollect(&merge::AddFiles, false); });
}

} // namespace app
