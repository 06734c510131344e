#include "settings/settings_options.h"

#include "export/delimiter.h"
#include "platform/codepage.h"
#include "settings/choice_texts.h"
#include "settings/ini_text.h"

namespace settings {

namespace {

// A stored text as the engine takes it: Windows-1251 bytes.
std::string CodePageOf(const std::string& stored) {
  return platform::Utf16ToCp1251(IniToText(stored));
}

// ComboBox3's item; a text that names no item means the first.
merge::SourceEncoding SourceEncodingOf(const std::u16string& item) {
  if (item == kUtf8Item)
    return merge::SourceEncoding::kUtf8;
  if (item == kDetectItem)
    return merge::SourceEncoding::kDetect;
  if (item == kUtf16LeItem)
    return merge::SourceEncoding::kUtf16Le;
  if (item == kUtf16BeItem)
    return merge::SourceEncoding::kUtf16Be;
  if (item == kCp866Item)
    return merge::SourceEncoding::kCp866;
  if (item == kKoi8rItem)
    return merge::SourceEncoding::kKoi8r;
  return merge::SourceEncoding::kCp1251;
}

} // namespace

merge::CollectOptions CollectOptionsFrom(const SettingsValues& values) {
  merge::CollectOptions options;
  options.delimiter_text = CodePageOf(values.reading_delimiter);
  options.add_file_name = values.add_file_name;
  options.name_only = values.name_only;
  options.side_by_side = IniToText(values.placement) == kSideBySideItem;
  options.skip_count = values.skip_lines ? merge::ParseSkipCount(CodePageOf(values.skip_text)) : 0;
  options.source_encoding = SourceEncodingOf(IniToText(values.source_encoding));
  options.quotes = values.quotes;
  options.header = values.header;
  options.match_headers = values.match_headers;
  options.file_name_header = CodePageOf(values.file_name_header);
  options.file_name_first = values.file_name_first;
  return options;
}

exporter::SaveOptions SaveOptionsFrom(const SettingsValues& values) {
  exporter::SaveOptions options;
  options.delimiter = exporter::DelimiterFromText(CodePageOf(values.writing_delimiter));
  options.escape = values.escape_output;
  options.utf8 = values.utf8_output;
  options.bom = values.bom;
  options.quote = values.quote_output;
  return options;
}

} // namespace settings
