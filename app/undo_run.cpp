// TForm1's undo and redo: the one place steps are recorded, "Отменить" and
// "Повторить" in the grid's menu, and "Очистить", which keeps the old table.

#include "app/error_box.h"
#include "app/grid_view.h"
#include "app/notice_box.h"
#include "app/unit1.h"

#include <QAction>

#include <new>

namespace app {

void TForm1::RecordStep(std::unique_ptr<merge::HistoryStep> step) {
  try {
    history_.Record(std::move(step));
  } catch (const std::bad_alloc&) {
    history_.Forget(); // the change stands; only its way back is lost
  }
}

void TForm1::CloseEditor() {
  StringGrid1->CloseOpenEditor();
}

bool TForm1::MayGoOnWithoutUndo(std::size_t bytes) {
  const QString text =
      QStringLiteral("Для отмены этого действия таблицу пришлось бы хранить целиком (%1 МБ), "
                     "а на это не хватит памяти: отменить его будет нельзя. Продолжить?")
          .arg(static_cast<qulonglong>(bytes >> 20));
  if (!AskToGoOn(text))
    return false;
  history_.Forget();
  return true;
}

void TForm1::N5Click() {
  Guard([this] {
    CloseEditor();
    if (history_.Fits(table_->MemoryUsed())) {
      RecordStep(merge::TableSwap::ClearKeeping(*table_));
    } else if (MayGoOnWithoutUndo(table_->MemoryUsed())) {
      table_->ClearAll();
    }
  });
}

void TForm1::N8Click() {
  Guard([this] {
    CloseEditor();
    history_.Undo(*table_);
  });
}

void TForm1::N9Click() {
  Guard([this] {
    CloseEditor();
    history_.Redo(*table_);
  });
}

} // namespace app
