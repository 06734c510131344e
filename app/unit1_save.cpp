// TForm1's saving and its settings: Button2Click, Button4Click, and init.ini
// read at start and written after every successful save.

#include "app/desktop_seams.h"
#include "app/encoding_notice.h"
#include "app/error_box.h"
#include "app/file_page.h"
#include "app/notice_box.h"
#include "app/status_texts.h"
#include "app/unit1.h"
#include "app/work_progress.h"
#include "export/delimiter.h"
#include "export/save_table.h"
#include "platform/codepage.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/ini_text.h"
#include "settings/settings_file.h"
#include "settings/settings_values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QStatusBar>

#include <algorithm>
#include <exception>
#include <vector>

namespace app {

namespace {

// An editable combo box shows the value; when it is one of its items, that
// item becomes the selected one too.
void SetComboText(QComboBox* combo, const QString& text) {
  const int item = combo->findText(text, Qt::MatchExactly);
  if (item >= 0)
    combo->setCurrentIndex(item);
  combo->setEditText(text);
}

// Widget texts are Unicode; cells hold Windows-1251 bytes.
std::string ToCodePage(const QString& text) {
  return platform::Utf16ToCp1251(text.toStdU16String());
}

// init.ini holds Windows-1251 where that can hold the text, else UTF-8.
std::string ToIni(const QString& text) {
  return platform::TextToIni(text.toStdU16String());
}
QString FromIni(const std::string& bytes) {
  return QString::fromStdU16String(platform::IniToText(bytes));
}

} // namespace

std::string TForm1::SettingsFilePath() const {
  return settings::SettingsPath(start_directory_);
}

void TForm1::Button2Click() {
  Guard([this] {
    exporter::SaveOptions options;
    options.delimiter = exporter::DelimiterFromText(ToCodePage(ComboBox2->currentText()));
    options.escape = CheckBox5->isChecked();
    options.utf8 = CheckBox4->isChecked();
    options.bom = CheckBox11->isChecked();
    exporter::SaveReport report;
    options.report = &report;
    options.quote = CheckBox10->isChecked();
    const QString name = Edit1->text();
    {
      WorkProgress progress(this, WorkProgress::kWritten);
      // An empty name is refused there with "Invalid filename": nothing is
      // written or opened and the settings are not stored.
      exporter::SaveTable(*table_, QFile::encodeName(name).toStdString(), options, &progress);
    }
    // A relative name was written against the current directory, as now.
    const QFileInfo written(name);
    StatusBar1->showMessage(SavedText(written.absoluteFilePath(), written.size()));
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
    platform::EnterDirectory(QFile::encodeName(QFileInfo(chosen).absolutePath()).toStdString());
  });
}

void TForm1::StoreSettings() {
  if (start_directory_.empty())
    throw platform::Error(kStartDirectoryGone);
  settings::SettingsValues values;
  values.edit1 = ToIni(Edit1->text());
  values.edit2 = ToIni(Edit2->currentText());
  values.edit3 = ToIni(Edit3->text());
  values.check_box1 = CheckBox1->isChecked();
  values.check_box2 = CheckBox2->isChecked();
  values.check_box3 = CheckBox3->isChecked();
  values.check_box4 = CheckBox4->isChecked();
  values.check_box5 = CheckBox5->isChecked();
  values.check_box6 = CheckBox6->isChecked();
  values.combo_box1 = ComboBox1->currentIndex() >= 0 ? ToIni(ComboBox1->currentText()) : "";
  values.combo_box2 = ToIni(ComboBox2->currentText());
  values.direct = platform::FileNameToIni(FilePage1->ShownDirectory());
  values.combo_box3 = ToIni(ComboBox3->currentText());
  values.check_box11 = CheckBox11->isChecked();
  values.quotes = CheckBox7->isChecked();
  values.header = CheckBox8->isChecked();
  values.match_headers = CheckBox9->isChecked();
  values.quote_output = CheckBox10->isChecked();
  settings::StoreSettingsFile(SettingsFilePath(), values);
}

void TForm1::LoadSettings() {
  const std::optional<settings::SettingsText> text = settings::ReadSettingsFile(SettingsFilePath());
  if (!text)
    return; // no file: every widget keeps its start value
  const settings::SettingsValues values = text->Values();

  // The output name first, so that filling the check list below knows which
  // file is the output and leaves it unticked.
  Edit1->setText(FromIni(values.edit1));
  // Then the directory, through the directory list's own change. A
  // directory that can no longer be entered is reported, but the other
  // values are still applied.
  std::exception_ptr directory_error;
  try {
    if (!values.direct.empty())
      FilePage1->SetShownDirectory(platform::IniToDirectory(values.direct));
  } catch (const platform::Error&) {
    directory_error = std::current_exception();
  }
  SetComboText(Edit2, FromIni(values.edit2));
  Edit3->setText(FromIni(values.edit3));
  QCheckBox* boxes[] = {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6};
  const bool ticks[] = {values.check_box1, values.check_box2, values.check_box3,
                        values.check_box4, values.check_box5, values.check_box6};
  for (int i = 0; i < 6; ++i)
    boxes[i]->setChecked(ticks[i]);
  // A value that names no item (the empty one included) leaves no item
  // selected, which collects stacked.
  ComboBox1->setCurrentIndex(ComboBox1->findText(FromIni(values.combo_box1), Qt::MatchExactly));
  SetComboText(ComboBox2, FromIni(values.combo_box2));
  // Beyond the twelve lines a value that names no item means the start value.
  ComboBox3->setCurrentIndex(
      std::max(0, ComboBox3->findText(FromIni(values.combo_box3), Qt::MatchExactly)));
  CheckBox11->setChecked(values.check_box11);
  CheckBox7->setChecked(values.quotes);
  CheckBox8->setChecked(values.header);
  CheckBox9->setChecked(values.match_headers);
  CheckBox10->setChecked(values.quote_output);
  if (directory_error)
    std::rethrow_exception(directory_error);
}

} // namespace app
