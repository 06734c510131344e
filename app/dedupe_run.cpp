// TForm1's "Удалить повторяющиеся строки": the repeats are found on a
// helper thread with the progress dialog, then taken out in one step; the
// status line says how many went.

#include "app/error_box.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/worker_run.h"
#include "merge/table_dedupe.h"
#include "merge/tidy_steps.h"
#include "platform/progress.h"

#include <QCheckBox>
#include <QStatusBar>

namespace app {

void TForm1::N21Click() {
  Guard([this] {
    CloseEditor();
    const bool keep_header = CheckBox8->isChecked();
    merge::RemovedDuplicates removed;
    RunOnWorker(this, QStringLiteral("Поиск повторяющихся строк"),
                [&](platform::Progress& progress) {
                  removed = merge::FindDuplicateRows(*table_, keep_header, &progress);
                });
    merge::TakeOutDuplicates(*table_, removed);
    const std::int64_t count = removed.removed;
    if (count > 0)
      RecordStep(std::make_unique<merge::DuplicatesStep>(*table_, std::move(removed)));
    StatusBar1->showMessage(
        QStringLiteral("Удалено повторяющихся строк: %1").arg(NumberText(count)));
  });
}

} // namespace app
