#include "app/form_values.h"

#include "app/file_page.h"
#include "app/unit1.h"
#include "platform/errors.h"
#include "settings/ini_text.h"
#include "settings/settings_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <exception>

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

// init.ini holds Windows-1251 where that can hold the text, else UTF-8.
std::string ToIni(const QString& text) {
  return settings::TextToIni(text.toStdU16String());
}
QString FromIni(const std::string& bytes) {
  return QString::fromStdU16String(settings::IniToText(bytes));
}

} // namespace

settings::SettingsValues SettingsValuesOf(const TForm1& form) {
  settings::SettingsValues values;
  values.output_name = ToIni(form.Edit1->text());
  values.reading_delimiter = ToIni(form.Edit2->currentText());
  values.skip_text = ToIni(form.Edit3->text());
  values.add_file_name = form.CheckBox1->isChecked();
  values.name_only = form.CheckBox2->isChecked();
  values.open_after_save = form.CheckBox3->isChecked();
  values.utf8_output = form.CheckBox4->isChecked();
  values.escape_output = form.CheckBox5->isChecked();
  values.skip_lines = form.CheckBox6->isChecked();
  values.placement =
      form.ComboBox1->currentIndex() >= 0 ? ToIni(form.ComboBox1->currentText()) : "";
  values.writing_delimiter = ToIni(form.ComboBox2->currentText());
  values.directory = settings::FileNameToIni(form.FilePage1->ShownDirectory());
  values.source_encoding = ToIni(form.ComboBox3->currentText());
  values.bom = form.CheckBox11->isChecked();
  values.quotes = form.CheckBox7->isChecked();
  values.header = form.CheckBox8->isChecked();
  values.match_headers = form.CheckBox9->isChecked();
  values.quote_output = form.CheckBox10->isChecked();
  values.numbering = form.Numbering->isChecked();
  values.file_name_header = ToIni(form.Edit4->text());
  values.file_name_first = form.CheckBox12->isChecked();
  if (form.FilePage1->RecentFoldersInUse())
    for (const std::string& folder : form.FilePage1->RecentFolders())
      values.recent_folders.push_back(settings::FileNameToIni(folder));
  return values;
}

// The options are read off the values init.ini would store: its text form
// gives every text back exactly.
merge::CollectOptions CollectOptionsOf(const TForm1& form) {
  merge::CollectOptions options = settings::CollectOptionsFrom(SettingsValuesOf(form));
  // Matching that the page shows disabled (side by side, or no header)
  // counts for nothing, also for "Собрать повторно", which stacks.
  options.match_headers = options.match_headers && options.header && !options.side_by_side;
  return options;
}

exporter::SaveOptions SaveOptionsOf(const TForm1& form) {
  return settings::SaveOptionsFrom(SettingsValuesOf(form));
}

void ShowSettingsValues(TForm1& form, const settings::SettingsValues& values) {
  form.Edit1->setText(FromIni(values.output_name));
  // The directory, through the directory list's own change.
  std::exception_ptr directory_error;
  std::vector<std::string> recent;
  for (const std::string& folder : values.recent_folders)
    recent.push_back(settings::IniToDirectory(folder));
  form.FilePage1->SetRecentFolders(std::move(recent));
  try {
    if (!values.directory.empty())
      form.FilePage1->SetShownDirectory(settings::IniToDirectory(values.directory));
  } catch (const platform::Error&) {
    directory_error = std::current_exception();
  }
  SetComboText(form.Edit2, FromIni(values.reading_delimiter));
  form.Edit3->setText(FromIni(values.skip_text));
  QCheckBox* boxes[] = {form.CheckBox1, form.CheckBox2, form.CheckBox3,
                        form.CheckBox4, form.CheckBox5, form.CheckBox6};
  const bool ticks[] = {values.add_file_name, values.name_only,     values.open_after_save,
                        values.utf8_output,   values.escape_output, values.skip_lines};
  for (int i = 0; i < 6; ++i)
    boxes[i]->setChecked(ticks[i]);
  // A value that names no item (the empty one included) leaves no item
  // selected, which collects stacked.
  form.ComboBox1->setCurrentIndex(
      form.ComboBox1->findText(FromIni(values.placement), Qt::MatchExactly));
  SetComboText(form.ComboBox2, FromIni(values.writing_delimiter));
  // Beyond the twelve lines a value that names no item means the start value.
  form.ComboBox3->setCurrentIndex(
      std::max(0, form.ComboBox3->findText(FromIni(values.source_encoding), Qt::MatchExactly)));
  form.CheckBox11->setChecked(values.bom);
  form.CheckBox7->setChecked(values.quotes);
  form.CheckBox8->setChecked(values.header);
  form.CheckBox9->setChecked(values.match_headers);
  form.CheckBox10->setChecked(values.quote_output);
  form.Numbering->setChecked(values.numbering);
  form.Edit4->setText(FromIni(values.file_name_header));
  form.CheckBox12->setChecked(values.file_name_first);
  if (directory_error)
    std::rethrow_exception(directory_error);
}

} // namespace app
