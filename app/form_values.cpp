#include "app/form_values.h"

#include "app/file_page.h"
#include "app/unit1.h"
#include "export/delimiter.h"
#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/ini_text.h"

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

merge::CollectOptions CollectOptionsOf(const TForm1& form) {
  merge::CollectOptions options;
  options.delimiter_text = ToCodePage(form.Edit2->currentText());
  options.add_file_name = form.CheckBox1->isChecked();
  options.name_only = form.CheckBox2->isChecked();
  options.side_by_side = form.ComboBox1->currentIndex() == 1;
  if (form.CheckBox6->isChecked())
    options.skip_count = merge::ParseSkipCount(ToCodePage(form.Edit3->text()));
  const merge::SourceEncoding encodings[] = {
      merge::SourceEncoding::kCp1251, merge::SourceEncoding::kUtf8, merge::SourceEncoding::kDetect};
  const int item = form.ComboBox3->currentIndex();
  options.source_encoding = item >= 0 && item < 3 ? encodings[item] : encodings[0];
  options.quotes = form.CheckBox7->isChecked();
  options.header = form.CheckBox8->isChecked();
  options.match_headers = options.header && !options.side_by_side && form.CheckBox9->isChecked();
  return options;
}

exporter::SaveOptions SaveOptionsOf(const TForm1& form) {
  exporter::SaveOptions options;
  options.delimiter = exporter::DelimiterFromText(ToCodePage(form.ComboBox2->currentText()));
  options.escape = form.CheckBox5->isChecked();
  options.utf8 = form.CheckBox4->isChecked();
  options.bom = form.CheckBox11->isChecked();
  options.quote = form.CheckBox10->isChecked();
  return options;
}

settings::SettingsValues SettingsValuesOf(const TForm1& form) {
  settings::SettingsValues values;
  values.edit1 = ToIni(form.Edit1->text());
  values.edit2 = ToIni(form.Edit2->currentText());
  values.edit3 = ToIni(form.Edit3->text());
  values.check_box1 = form.CheckBox1->isChecked();
  values.check_box2 = form.CheckBox2->isChecked();
  values.check_box3 = form.CheckBox3->isChecked();
  values.check_box4 = form.CheckBox4->isChecked();
  values.check_box5 = form.CheckBox5->isChecked();
  values.check_box6 = form.CheckBox6->isChecked();
  values.combo_box1 =
      form.ComboBox1->currentIndex() >= 0 ? ToIni(form.ComboBox1->currentText()) : "";
  values.combo_box2 = ToIni(form.ComboBox2->currentText());
  values.direct = platform::FileNameToIni(form.FilePage1->ShownDirectory());
  values.combo_box3 = ToIni(form.ComboBox3->currentText());
  values.check_box11 = form.CheckBox11->isChecked();
  values.quotes = form.CheckBox7->isChecked();
  values.header = form.CheckBox8->isChecked();
  values.match_headers = form.CheckBox9->isChecked();
  values.quote_output = form.CheckBox10->isChecked();
  return values;
}

void ShowSettingsValues(TForm1& form, const settings::SettingsValues& values) {
  form.Edit1->setText(FromIni(values.edit1));
  // The directory, through the directory list's own change.
  std::exception_ptr directory_error;
  try {
    if (!values.direct.empty())
      form.FilePage1->SetShownDirectory(platform::IniToDirectory(values.direct));
  } catch (const platform::Error&) {
    directory_error = std::current_exception();
  }
  SetComboText(form.Edit2, FromIni(values.edit2));
  form.Edit3->setText(FromIni(values.edit3));
  QCheckBox* boxes[] = {form.CheckBox1, form.CheckBox2, form.CheckBox3,
                        form.CheckBox4, form.CheckBox5, form.CheckBox6};
  const bool ticks[] = {values.check_box1, values.check_box2, values.check_box3,
                        values.check_box4, values.check_box5, values.check_box6};
  for (int i = 0; i < 6; ++i)
    boxes[i]->setChecked(ticks[i]);
  // A value that names no item (the empty one included) leaves no item
  // selected, which collects stacked.
  form.ComboBox1->setCurrentIndex(
      form.ComboBox1->findText(FromIni(values.combo_box1), Qt::MatchExactly));
  SetComboText(form.ComboBox2, FromIni(values.combo_box2));
  // Beyond the twelve lines a value that names no item means the start value.
  form.ComboBox3->setCurrentIndex(
      std::max(0, form.ComboBox3->findText(FromIni(values.combo_box3), Qt::MatchExactly)));
  form.CheckBox11->setChecked(values.check_box11);
  form.CheckBox7->setChecked(values.quotes);
  form.CheckBox8->setChecked(values.header);
  form.CheckBox9->setChecked(values.match_headers);
  form.CheckBox10->setChecked(values.quote_output);
  if (directory_error)
    std::rethrow_exception(directory_error);
}

} // namespace app
