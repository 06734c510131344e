#include "cli/batch_options.h"

#include "export/delimiter.h"
#include "platform/codepage.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/utf8.h"
#include "settings/ini_text.h"
#include "settings/settings_file.h"
#include "settings/settings_options.h"

#include <QString>

#include <algorithm>
#include <functional>
#include <map>

#ifndef KLEITAB_VERSION
#define KLEITAB_VERSION "1.10"
#endif

namespace cli {

namespace {

// Arguments are UTF-8; the window's values are Windows-1251.
std::string ToCodePage(const std::string& utf8) {
  return platform::Utf16ToCp1251(
      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).toStdU16String());
}

// A delimiter as typed: the word "tab" stands for a tab. Text that is no
// UTF-8, or a character Windows-1251 has no byte for, would split or join
// at a "?" nobody typed.
std::string DelimiterText(const std::string& option, const std::string& text) {
  if (text == "tab")
    return "\t";
  if (!platform::IsValidUtf8(text))
    throw UsageError(option + ": разделитель — не текст UTF-8");
  const std::string bytes = ToCodePage(text);
  if (std::count(bytes.begin(), bytes.end(), '?') != std::count(text.begin(), text.end(), '?'))
    throw UsageError(option + ": в «" + text + "» есть символ, которого нет в Windows-1251");
  return bytes;
}

// The window reads its field leniently (as far as a number goes, else 0);
// the command line reads it the same way but says so.
std::int32_t SkipCount(const std::string& text, std::vector<std::string>& warnings) {
  const std::int32_t count = merge::ParseSkipCount(ToCodePage(text));
  const std::size_t start = std::min(text.find_first_not_of(' '), text.size());
  const std::string digits = text.substr(start);
  const bool plain = !digits.empty() && digits.size() <= 9 &&
                     digits.find_first_not_of("0123456789") == std::string::npos;
  if (!plain)
    warnings.push_back("--skip «" + text + "» — не число строк; как и в окне, убирается строк: " +
                       std::to_string(std::max(count, 0)));
  return count;
}

// A relative name stored in init.ini counts from `base`.
std::string Resolve(const std::string& base, const std::string& name) {
  if (name.empty() || platform::IsAbsolutePath(name))
    return name;
  return platform::JoinPath(base, name);
}

// An encoding as people write it, letter case aside.
merge::SourceEncoding SourceEncodingNamed(const std::string& name) {
  static const std::map<std::string, merge::SourceEncoding> kNames = {
      {"1251", merge::SourceEncoding::kCp1251},
      {"cp1251", merge::SourceEncoding::kCp1251},
      {"windows-1251", merge::SourceEncoding::kCp1251},
      {"utf-8", merge::SourceEncoding::kUtf8},
      {"utf8", merge::SourceEncoding::kUtf8},
      {"utf-8-sig", merge::SourceEncoding::kUtf8},
      {"auto", merge::SourceEncoding::kDetect},
      {"utf-16", merge::SourceEncoding::kUtf16Le},
      {"utf16", merge::SourceEncoding::kUtf16Le},
      {"utf-16le", merge::SourceEncoding::kUtf16Le},
      {"utf-16be", merge::SourceEncoding::kUtf16Be},
      {"cp866", merge::SourceEncoding::kCp866},
      {"866", merge::SourceEncoding::kCp866},
      {"ibm866", merge::SourceEncoding::kCp866},
      {"koi8-r", merge::SourceEncoding::kKoi8r},
      {"koi8r", merge::SourceEncoding::kKoi8r}};
  std::string lower = name;
  for (char& c : lower)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  const auto it = kNames.find(lower);
  if (it == kNames.end())
    throw UsageError("--encoding: ожидается 1251, cp1251, windows-1251, utf-8, utf8, utf-8-sig, "
                     "auto, utf-16, utf16, utf-16le, utf-16be, cp866, 866, ibm866, koi8-r "
                     "или koi8r, а не «" +
                     name + "»");
  return it->second;
}

// Takes every default from an init.ini as the window would at its start.
void ApplySettingsFile(BatchOptions& options) {
  const auto text = settings::ReadSettingsFile(options.settings_file);
  if (!text)
    throw platform::FileError(platform::kFileNotFound);
  const settings::SettingsValues v = text->Values();
  const std::string home = platform::DirectoryOf(options.settings_file);
  options.collect = settings::CollectOptionsFrom(v);
  options.save = settings::SaveOptionsFrom(v);
  // The window starts in the stored directory and saves relative to it.
  options.directory = v.directory.empty() ? home : settings::IniToDirectory(v.directory);
  // Edit1's text as the window names the file: UTF-8.
  options.output =
      Resolve(options.directory,
              QString::fromStdU16String(settings::IniToText(v.output_name)).toStdString());
}

} // namespace

BatchOptions ParseArguments(const std::vector<std::string>& args) {
  BatchOptions options;
  options.collect.add_file_name = false; // the command line's default: no name column
  options.collect.delimiter_text = ",";

  // First the settings file, so that every flag overrides it.
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--")
      break;
    if (args[i] == "--settings" && i + 1 < args.size())
      options.settings_file = args[i + 1];
    else if (args[i].rfind("--settings=", 0) == 0)
      options.settings_file = args[i].substr(11);
  }
  if (!options.settings_file.empty())
    ApplySettingsFile(options);

  std::optional<std::string> output;
  std::vector<std::string> positional;
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    std::optional<std::string> inline_value;
    if (arg.rfind("--", 0) == 0) {
      const auto eq = arg.find('=');
      if (eq != std::string::npos) {
        inline_value = arg.substr(eq + 1);
        arg.resize(eq);
      }
    } else if (arg.size() > 2) { // -oFILE, -d;
      inline_value = arg.substr(2);
      arg.resize(2);
    }
    const auto value = [&]() -> std::string {
      if (inline_value)
        return *inline_value;
      if (i + 1 >= args.size())
        throw UsageError("параметру «" + arg + "» нужно значение");
      return args[++i];
    };
    const auto flag = [&]() {
      if (inline_value)
        throw UsageError("параметр «" + arg + "» не принимает значения");
    };
    if (arg == "-h" || arg == "--help") {
      flag();
      options.action = BatchOptions::Action::kHelp;
      return options;
    } else if (arg == "-V" || arg == "--version") {
      flag();
      options.action = BatchOptions::Action::kVersion;
      return options;
    } else if (arg == "-o" || arg == "--output") {
      output = value();
    } else if (arg == "-d" || arg == "--delimiter") {
      // "auto": each file's own, found from its start; where that cannot
      // tell, the delimiter the options had.
      const std::string text = value();
      options.collect.detect_delimiter = text == "auto";
      if (!options.collect.detect_delimiter)
        options.collect.delimiter_text = DelimiterText(arg, text);
    } else if (arg == "--output-delimiter") {
      const std::string text = value();
      const std::string bytes = DelimiterText(arg, text);
      if (bytes.size() != 1)
        throw UsageError("--output-delimiter: ожидается один символ или tab, а не «" + text + "»");
      options.save.delimiter = exporter::DelimiterFromText(bytes);
    } else if (arg == "--side-by-side") {
      flag();
      options.collect.side_by_side = true;
    } else if (arg == "--stacked") {
      flag();
      options.collect.side_by_side = false;
    } else if (arg == "--file-name") {
      const std::string v = value();
      if (v == "none") {
        options.collect.add_file_name = false;
      } else if (v == "name" || v == "path") {
        options.collect.add_file_name = true;
        options.collect.name_only = v == "name";
      } else {
        throw UsageError("--file-name: ожидается none, name или path, а не «" + v + "»");
      }
    } else if (arg == "--file-name-header") {
      options.collect.file_name_header = ToCodePage(value());
    } else if (arg == "--file-name-first") {
      flag();
      options.collect.file_name_first = true;
    } else if (arg == "--skip") {
      options.collect.skip_count = SkipCount(value(), options.warnings);
    } else if (arg == "--encoding") {
      options.collect.source_encoding = SourceEncodingNamed(value());
    } else if (arg == "--bom") {
      flag();
      options.save.bom = true;
    } else if (arg == "--escape") {
      flag();
      options.save.escape = true;
    } else if (arg == "--utf8") {
      flag();
      options.save.utf8 = true;
    } else if (arg == "--quotes") {
      flag();
      options.collect.quotes = true;
    } else if (arg == "--quote-output") {
      flag();
      options.save.quote = true;
    } else if (arg == "--header") {
      flag();
      options.collect.header = true;
    } else if (arg == "--match-headers") {
      flag();
      options.collect.match_headers = true;
    } else if (arg == "-q" || arg == "--quiet") {
      flag();
      options.quiet = true;
    } else if (arg == "--strict") {
      flag();
      options.strict = true;
    } else if (arg == "--in-memory") {
      flag();
      options.in_memory = true;
    } else if (arg == "--settings") {
      value(); // read before the others
    } else {
      throw UsageError("неизвестный параметр «" + args[i] + "»");
    }
  }
  if (output)
    options.output = *output;
  if (options.output.empty())
    throw UsageError("не указан файл для сохранения (-o ФАЙЛ)");

  // One name that is not a file is the directory; else the files, in order
  // ("-" is standard input, read once).
  if (std::count(positional.begin(), positional.end(), "-") > 1)
    throw UsageError("стандартный ввод «-» можно указать только один раз");
  if (positional.size() == 1 && positional[0] != "-" &&
      !platform::IsReadableCandidate(positional[0])) {
    options.directory = positional[0];
  } else if (!positional.empty()) {
    options.files = positional;
    options.directory.clear();
  }
  options.collect.match_headers = options.collect.match_headers && options.collect.header;
  return options;
}

std::string VersionText() {
  return "kleitab " KLEITAB_VERSION "\n";
}

std::string HelpText() {
  return "Клейтаб " KLEITAB_VERSION " — собрать CSV файлы в один.\n"
         "\n"
         "Использование:\n"
         "  kleitab                               окно программы\n"
         "  kleitab -o ФАЙЛ [параметры] [КАТАЛОГ | ФАЙЛ...]   («-» — стандартный ввод)\n"
         "  kleitab --help | --version\n"
         "\n"
         "Без окна собирает файлы *.csv КАТАЛОГА (по умолчанию текущего) в том порядке,\n"
         "в каком их показывает окно, или перечисленные ФАЙЛЫ в заданном порядке, и\n"
         "сохраняет результат побайтно так же, как окно при тех же настройках.\n"
         "\n"
         "Параметры:\n"
         "  -o, --output ФАЙЛ         файл для сохранения; «-» — стандартный вывод\n"
         "  -d, --delimiter ТЕКСТ     разделитель при чтении (первый символ; tab — табуляция;\n"
         "                            по умолчанию «,»; auto — у каждого файла свой)\n"
         "      --side-by-side        собрать по горизонтали (по умолчанию по вертикали)\n"
         "      --stacked             собрать по вертикали\n"
         "      --file-name none|name|path\n"
         "                            добавить имя файла: нет (по умолчанию), только имя,\n"
         "                            полный путь\n"
         "      --file-name-header ТЕКСТ  заголовок столбца имени файла\n"
         "      --file-name-first     имя файла — первым столбцом\n"
         "      --skip ТЕКСТ          убрать первые строки каждого файла (число, как в окне)\n"
         "      --output-delimiter ТЕКСТ\n"
         "                            разделитель при сохранении (по умолчанию «,»)\n"
         "      --escape              экранировать разделитель при сохранении (#<код>)\n"
         "      --utf8                сохранить в UTF-8\n"
         "      --bom                 с --utf8: файл начинается с метки порядка байтов\n"
         "      --encoding 1251|utf-8|auto|utf-16le|utf-16be|cp866|koi8-r\n"
         "                            кодировка файлов (auto — для каждого файла)\n"
         "      --quotes              учитывать кавычки при чтении\n"
         "      --quote-output        кавычки при сохранении (вместо #<код>)\n"
         "      --header              первая строка — заголовок\n"
         "      --match-headers       сопоставлять столбцы по заголовкам (по вертикали)\n"
         "      --settings ФАЙЛ       взять настройки из init.ini (параметры важнее);\n"
         "                            без него init.ini не читается и не пишется\n"
         "      --in-memory           собирать по вертикали через таблицу в памяти\n"
         "                            (с --quotes, --header, --quote-output — всегда)\n"
         "      --strict              считать ошибкой всё потерянное (символы, записанные\n"
         "                            как «?», незакрытые кавычки, файлы не в UTF-8):\n"
         "                            ничего не записывать\n"
         "  -q, --quiet               не показывать ход работы и сообщения о потерянном\n"
         "  -h, --help                эта справка\n"
         "  -V, --version             версия программы\n"
         "\n"
         "Код возврата: 0 — готово, 1 — ошибка (сообщение и файл — в стандартный\n"
         "поток ошибок), 2 — неверная командная строка.\n";
}

} // namespace cli
