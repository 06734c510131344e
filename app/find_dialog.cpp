#include "app/find_dialog.h"

#include "app/error_box.h"
#include "app/grid_model.h"
#include "app/grid_view.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/work_progress.h"
#include "app/worker_run.h"
#include "merge/tidy_steps.h"
#include "platform/codepage.h"
#include "platform/progress.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace app {

namespace {

// Replacing writes the table, so it runs on the window's thread; the
// dialog's events are let through as the rows go by.
class PumpedParts : public platform::Progress {
public:
  explicit PumpedParts(WorkProgress& shown) : shown_(shown) {}
  void FileStarted(const std::string&, std::int64_t) override {}
  void BytesDone(std::int64_t) override {}
  void PartsDone(std::int64_t done, std::int64_t total) override {
    shown_.PartsDone(done, total);
    shown_.Tick();
  }
  bool CancelRequested() override { return shown_.CancelRequested(); }

private:
  WorkProgress& shown_;
};

QString Quoted(const QString& text) {
  return QStringLiteral("«%1»").arg(text);
}

} // namespace

FindDialog::FindDialog(TForm1& form)
    : QDialog(&form), form_(form), grid_(form.StringGrid1), status_(form.StatusBar1) {
  setObjectName(QStringLiteral("FindDialog1"));
  setWindowTitle(QStringLiteral("Найти и заменить"));
  Edit4 = new QLineEdit(this);
  Edit4->setObjectName(QStringLiteral("Edit4"));
  Edit5 = new QLineEdit(this);
  Edit5->setObjectName(QStringLiteral("Edit5"));
  CheckBox12 = new QCheckBox(QStringLiteral("Учитывать регистр"), this);
  CheckBox12->setObjectName(QStringLiteral("CheckBox12"));
  CheckBox13 = new QCheckBox(QStringLiteral("Ячейка целиком"), this);
  CheckBox13->setObjectName(QStringLiteral("CheckBox13"));
  const auto button = [this](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  Button5 = button("Button5", QStringLiteral("Найти далее"));
  Button6 = button("Button6", QStringLiteral("Найти ранее"));
  Button7 = button("Button7", QStringLiteral("Заменить"));
  Button8 = button("Button8", QStringLiteral("Заменить все"));
  Button9 = button("Button9", QStringLiteral("Закрыть"));
  Button5->setDefault(true); // Enter finds the next

  auto* fields = new QGridLayout;
  fields->addWidget(new QLabel(QStringLiteral("Найти:"), this), 0, 0);
  fields->addWidget(Edit4, 0, 1);
  fields->addWidget(new QLabel(QStringLiteral("Заменить на:"), this), 1, 0);
  fields->addWidget(Edit5, 1, 1);
  fields->addWidget(CheckBox12, 2, 1);
  fields->addWidget(CheckBox13, 3, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {Button5, Button6, Button7, Button8, Button9})
    buttons->addWidget(b);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(fields, 1);
  layout->addLayout(buttons);

  connect(Button5, &QPushButton::clicked, this, &FindDialog::Button5Click);
  connect(Button6, &QPushButton::clicked, this, &FindDialog::Button6Click);
  connect(Button7, &QPushButton::clicked, this, &FindDialog::Button7Click);
  connect(Button8, &QPushButton::clicked, this, &FindDialog::Button8Click);
  connect(Button9, &QPushButton::clicked, this, &QDialog::hide);
}

void FindDialog::Open(bool replace) {
  show();
  raise();
  activateWindow();
  QLineEdit* focus = replace ? Edit5 : Edit4;
  focus->setFocus();
  focus->selectAll();
}

bool FindDialog::Needle(std::string& needle) const {
  const merge::ResultTable& table = grid_->Model()->Table();
  const QString text = Edit4->text();
  if (table.Encoding() == merge::TextEncoding::kUtf8) {
    needle = text.toStdString();
    return true;
  }
  const std::u16string wide = text.toStdU16String();
  for (std::size_t i = 0; i < wide.size(); ++i)
    if (platform::UnicodeToCp1251(platform::CodePointAt(wide, i)) < 0)
      return false;
  needle = platform::Utf16ToCp1251(wide);
  return true;
}

merge::FindOptions FindDialog::Options() const {
  merge::FindOptions options;
  options.match_case = CheckBox12->isChecked();
  options.whole_cell = CheckBox13->isChecked();
  options.first_col = grid_->Model()->FixedCols();
  options.first_row = grid_->Model()->FixedRows();
  return options;
}

merge::CellPlace FindDialog::Current() const {
  const GridModel* model = grid_->Model();
  const QModelIndex current = grid_->currentIndex();
  if (!current.isValid())
    return {model->FixedCols() - 1, model->FixedRows()};
  return {model->TableCol(current.column()), model->TableRow(current.row())};
}

void FindDialog::MakeCurrent(merge::CellPlace place) {
  const GridModel* model = grid_->Model();
  const QModelIndex index =
      model->index(place.row - model->FixedRows(), place.col - model->FixedCols());
  grid_->setCurrentIndex(index);
  grid_->scrollTo(index);
}

bool FindDialog::FindNext(bool backward) {
  std::string needle;
  std::optional<merge::CellPlace> found;
  if (!Edit4->text().isEmpty() && Needle(needle)) {
    const merge::ResultTable& table = grid_->Model()->Table();
    const merge::FindOptions options = Options();
    const merge::CellPlace from = Current();
    RunOnWorker(this, QStringLiteral("Поиск"), [&](platform::Progress& progress) {
      found = merge::FindCell(table, needle, options, from, backward, &progress);
    });
  }
  if (!found) {
    status_->showMessage(QStringLiteral("Не найдено: %1").arg(Quoted(Edit4->text())));
    return false;
  }
  MakeCurrent(*found);
  status_->showMessage(QStringLiteral("Найдено: %1").arg(Quoted(Edit4->text())));
  return true;
}

void FindDialog::Button5Click() {
  Guard([this] { FindNext(false); });
}

void FindDialog::Button6Click() {
  Guard([this] { FindNext(true); });
}

// Replaces in the current cell when it holds the text, then finds the next.
void FindDialog::Button7Click() {
  Guard([this] {
    std::string needle;
    merge::ResultTable& table = grid_->Model()->Table();
    const merge::CellPlace place = Current();
    if (grid_->currentIndex().isValid() && Needle(needle) &&
        merge::TextMatches(table.GetCell(place.col, place.row), needle, Options(),
                           table.Encoding())) {
      form_.CloseEditor();
      merge::Replacement record{needle, TableText(Edit5->text()), Options(), {}, 0};
      merge::ReplaceInCell(table, place, record);
      const std::int64_t count = record.count;
      if (count > 0)
        form_.RecordStep(std::make_unique<merge::ReplaceStep>(std::move(record)));
      FindNext(false);
      status_->showMessage(QStringLiteral("Произведено замен: %1").arg(NumberText(count)));
      return;
    }
    FindNext(false);
  });
}

void FindDialog::Button8Click() {
  Guard([this] {
    std::string needle;
    merge::Replacement record;
    if (!Edit4->text().isEmpty() && Needle(needle)) {
      form_.CloseEditor();
      WorkProgress shown(this, WorkProgress::kParts);
      shown.SetCaption(QStringLiteral("Замена"));
      PumpedParts progress(shown);
      record = merge::ReplaceAll(grid_->Model()->Table(), needle, TableText(Edit5->text()),
                                 Options(), &progress);
    }
    const std::int64_t count = record.count;
    if (count > 0)
      form_.RecordStep(std::make_unique<merge::ReplaceStep>(std::move(record)));
    status_->showMessage(QStringLiteral("Произведено замен: %1").arg(NumberText(count)));
  });
}

std::string FindDialog::TableText(const QString& text) const {
  if (grid_->Model()->Table().Encoding() == merge::TextEncoding::kUtf8)
    return text.toStdString();
  return platform::Utf16ToCp1251(text.toStdU16String());
}

} // namespace app
