// TForm1's help with the reading options: "Определить" finds them from the
// start of the ticked files, the preview shows one ticked file as the
// options split it, and "Собрать" asks first when the options split no line
// while another delimiter splits every file alike.

#include "app/error_box.h"
#include "app/file_page.h"
#include "app/form_values.h"
#include "app/page_column.h"
#include "app/preview_pane.h"
#include "app/question_box.h"
#include "app/unit1.h"
#include "merge/detect_options.h"
#include "merge/preview.h"
#include "merge/read_source_file.h"
#include "merge/split_line.h"
#include "platform/error_advice.h"
#include "platform/errors.h"
#include "platform/file_name_text.h"
#include "settings/choice_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

namespace app {

namespace {

QString DelimiterName(char delimiter) {
  if (delimiter == ' ')
    return QStringLiteral("пробел");
  if (delimiter == '\t')
    return QStringLiteral("табуляция");
  return QStringLiteral("«%1»").arg(QChar(static_cast<unsigned char>(delimiter)));
}

QString EncodingItem(merge::SourceEncoding encoding) {
  switch (encoding) {
  case merge::SourceEncoding::kUtf8:
    return QString::fromUtf16(settings::kUtf8Item);
  case merge::SourceEncoding::kDetect:
    return QString::fromUtf16(settings::kDetectItem);
  default:
    return QString::fromUtf16(settings::kCp1251Item);
  }
}

QString YesNo(std::optional<bool> value, const QString& unknown) {
  return value ? (*value ? QStringLiteral("да") : QStringLiteral("нет")) : unknown;
}

// The found options in words.
QString FoundOptionsText(const merge::DetectedForFiles& found) {
  const QString unknown = QStringLiteral("не понять");
  return QStringLiteral("разделитель: %1, кодировка: %2, кавычки: %3, заголовок: %4")
      .arg(found.delimiter ? DelimiterName(*found.delimiter) : unknown,
           found.encoding ? EncodingItem(*found.encoding) : unknown, YesNo(found.quotes, unknown),
           YesNo(found.header, unknown));
}

QString BareName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return platform::FileNameText(slash == std::string::npos ? path : path.substr(slash + 1));
}

} // namespace

std::vector<std::string> TForm1::TickedPaths() const {
  std::vector<std::string> paths;
  for (int i = 0; i < FilePage1->Count(); ++i)
    if (FilePage1->IsTicked(i)) {
      std::string path = FilePage1->FullPathOf(i);
      if (merge::IsSourceFileAvailable(path))
        paths.push_back(std::move(path));
    }
  return paths;
}

void TForm1::BuildPreview(QWidget* options) {
  Preview1 = new PreviewPane(TabSheet2);
  auto* sides = new QHBoxLayout(TabSheet2);
  sides->setContentsMargins(0, 0, settings_rows_->Scaled(8), settings_rows_->Scaled(8));
  sides->setSpacing(0);
  sides->addWidget(options);
  sides->addWidget(Preview1, 1);
  connect(Preview1->Button5, &QPushButton::clicked, this, &TForm1::Button5Click);
  // Whatever changes what the preview would show brings it up to date.
  connect(Edit2, &QComboBox::editTextChanged, this, &TForm1::SchedulePreview);
  connect(ComboBox3, &QComboBox::currentIndexChanged, this, &TForm1::SchedulePreview);
  connect(Edit3, &QLineEdit::textChanged, this, &TForm1::SchedulePreview);
  for (QCheckBox* box : {CheckBox6, CheckBox7, CheckBox8})
    connect(box, &QCheckBox::toggled, this, &TForm1::SchedulePreview);
  connect(FilePage1->CheckListBox1(), &QListWidget::currentRowChanged, this,
          &TForm1::SchedulePreview);
  connect(FilePage1->CheckListBox1(), &QListWidget::itemChanged, this, &TForm1::SchedulePreview);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::SchedulePreview);
}

void TForm1::SchedulePreview() {
  if (preview_pending_)
    return;
  // Many changes at once (a check list refilled) make one preview.
  preview_pending_ = true;
  QTimer::singleShot(0, this, [this] {
    preview_pending_ = false;
    UpdatePreview();
  });
}

void TForm1::UpdatePreview() {
  if (PageControl1->currentIndex() != kPageSettings)
    return; // brought up to date when the page is shown
  // The check list's current file when it is ticked, else the first ticked.
  std::string path;
  QListWidget* list = FilePage1->CheckListBox1();
  const int current = list->currentRow();
  if (current >= 0 && FilePage1->IsTicked(current))
    path = FilePage1->FullPathOf(current);
  for (int i = 0; path.empty() && i < FilePage1->Count(); ++i)
    if (FilePage1->IsTicked(i))
      path = FilePage1->FullPathOf(i);
  if (path.empty()) {
    Preview1->ShowReason(QStringLiteral("Нет отмеченных файлов для просмотра."));
    return;
  }
  const QString name = BareName(path);
  try {
    Preview1->ShowPreview(name, merge::PreviewFile(path, CollectOptionsOf(*this)));
  } catch (const platform::Cancelled&) {
    Preview1->ShowReason(QString());
  } catch (...) {
    const platform::ErrorMessage error = platform::CurrentErrorMessage();
    const std::string advice = platform::ErrorAdvice(error.text, path, error.system_error);
    Preview1->ShowReason(QStringLiteral("«%1» не прочитать: %2 %3")
                             .arg(name, ErrorBoxText(error.text), QString::fromStdString(advice))
                             .trimmed());
  }
}

merge::DetectedForFiles TForm1::DetectTickedFiles(int* ticked) const {
  const std::vector<std::string> paths = TickedPaths();
  if (ticked != nullptr)
    *ticked = static_cast<int>(paths.size());
  std::vector<merge::DetectedOptions> found;
  for (const std::string& path : paths) {
    try {
      found.push_back(merge::DetectFileOptions(path));
    } catch (const platform::Error&) {
      // A file that cannot be read now says nothing; the collect will tell.
    }
  }
  return merge::CombineDetected(found);
}

void TForm1::ApplyDetected(const merge::DetectedForFiles& found) {
  if (found.delimiter) {
    const char delimiter = *found.delimiter;
    // The space is the list's item that begins with one; a tab is typed.
    const QString text = delimiter == ' ' ? Edit2->itemText(3)
                                          : QString(QChar(static_cast<unsigned char>(delimiter)));
    const int item = Edit2->findText(text, Qt::MatchExactly);
    if (item >= 0)
      Edit2->setCurrentIndex(item);
    Edit2->setEditText(text);
  }
  if (found.encoding) {
    const int item = ComboBox3->findText(EncodingItem(*found.encoding), Qt::MatchExactly);
    if (item >= 0)
      ComboBox3->setCurrentIndex(item);
  }
  if (found.quotes)
    CheckBox7->setChecked(*found.quotes);
  if (found.header)
    CheckBox8->setChecked(*found.header);
}

void TForm1::Button5Click() {
  Guard([this] {
    int ticked = 0;
    const merge::DetectedForFiles found = DetectTickedFiles(&ticked);
    if (found.files == 0) {
      Preview1->Label14->setText(QStringLiteral("Нет отмеченных файлов, которые можно прочитать."));
      return;
    }
    ApplyDetected(found);
    Preview1->Label14->setText(QStringLiteral("По началу файлов (%1 из %2): %3.")
                                   .arg(found.files)
                                   .arg(ticked)
                                   .arg(FoundOptionsText(found)));
  });
}

bool TForm1::ConfirmReadingOptions() {
  // A question is put only to someone who sees the window; a window driven
  // unseen collects as it is set.
  if (!isVisible())
    return true;
  const std::optional<char> typed = merge::ReadingDelimiter(CollectOptionsOf(*this).delimiter_text);
  const std::vector<std::string> paths = TickedPaths();
  // Stops at the first file the typed delimiter splits alike: the usual
  // case costs one small read.
  for (const std::string& path : paths) {
    try {
      const merge::FileStart start = merge::ReadFileStart(path, 4096);
      if (typed && merge::SplitsAlike(start.bytes, start.whole, *typed))
        return true;
    } catch (const platform::Error&) {
      return true; // the collect will tell
    }
  }
  if (paths.empty())
    return true;
  const merge::DetectedForFiles found = DetectTickedFiles(nullptr);
  if (!found.delimiter || found.delimiter_files != found.files || found.files == 0 ||
      found.delimiter == typed)
    return true;
  const QString question =
      QStringLiteral(
          "Разделитель %1 не делит строки файлов на одинаковые столбцы, а разделитель %2 "
          "делит так все отмеченные файлы (%3).\n\nСобрать с найденными настройками (%4)?")
          .arg(typed ? DelimiterName(*typed) : QStringLiteral("(пусто)"),
               DelimiterName(*found.delimiter))
          .arg(found.files)
          .arg(FoundOptionsText(found));
  switch (AskChoice(question)) {
  case Answer::kYes:
    ApplyDetected(found);
    return true;
  case Answer::kNo:
    return true;
  default:
    return false;
  }
}

} // namespace app
