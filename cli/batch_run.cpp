#include "cli/batch_run.h"

#include "cli/batch_options.h"
#include "cli/error_words.h"
#include "cli/loss_report.h"
#include "cli/standard_input.h"
#include "cli/terminal_progress.h"
#include "export/save_table.h"
#include "export/streamed_save.h"
#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/directory.h"
#include "platform/error_advice.h"
#include "platform/error_message.h"
#include "platform/errors.h"
#include "platform/file.h"
#include "platform/kept_content.h"
#include "platform/same_file.h"
#include "platform/working_directory.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <optional>

namespace cli {

namespace {

// An error that concerns a file: its message, that file's name and the
// errno value behind it (0 when unknown).
struct Failure {
  std::string message;
  std::string file;
  int system_error = 0;
};

// The sources given by name, each as the window would name it: its
// directory as entered, then the bare name. A name that is no readable file
// is an error here rather than skipped. "-" is the copy of standard input.
std::vector<std::string> GivenSources(const std::vector<std::string>& files,
                                      const StandardInputCopy* standard_input) {
  std::vector<std::string> sources;
  for (const std::string& file : files) {
    if (file == "-" && standard_input != nullptr) {
      sources.push_back(standard_input->Path());
      continue;
    }
    if (!platform::IsReadableCandidate(file)) {
      const bool exists = platform::StatusOf(file).kind != platform::PathStatus::kMissing;
      throw platform::Error(
          platform::FileErrorMessage(exists ? platform::kAccessDenied : platform::kFileNotFound),
          file);
    }
    const std::size_t start = platform::BareNameStart(file);
    const std::string dir = start == 0 ? "." : file.substr(0, start);
    try {
      sources.push_back(
          platform::JoinPath(platform::WorkingDirectory::Resolve(dir), file.substr(start)));
    } catch (const platform::FileError& error) {
      throw platform::Error(error.what(), file);
    }
  }
  return sources;
}

// The "*.csv" files of the directory in the window's order; the output file
// is left out, as the window leaves it unticked, and `note` (when given)
// hears of it.
std::vector<std::string> DirectorySources(const BatchOptions& options, std::FILE* note) {
  const std::string shown = options.directory.empty() ? "." : options.directory;
  std::string directory;
  std::vector<std::string> names;
  try {
    directory = platform::WorkingDirectory::Resolve(shown);
    names = platform::ListCsvFiles(directory);
  } catch (const platform::Error& error) {
    throw platform::Error(error.what(), shown);
  }
  std::vector<std::string> sources;
  for (const std::string& name : names)
    sources.push_back(platform::JoinPath(directory, name));
  if (!options.ToStandardOutput()) {
    const std::vector<std::size_t> output = platform::PathsNamingFile(sources, options.output);
    for (auto i = output.rbegin(); i != output.rend(); ++i) {
      const std::size_t at = *i;
      if (note != nullptr)
        std::fprintf(note, "kleitab: %s: не прочитан: это файл для сохранения\n",
                     sources[at].c_str());
      sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(at));
    }
  }
  if (sources.empty())
    throw platform::Error("В каталоге нет файлов *.csv", directory);
  return sources;
}

// The output is never one of the sources: refused in every mode before
// anything is read, so that the source stays as it was.
void RefuseOutputAmongSources(const BatchOptions& options,
                              const std::vector<std::string>& sources) {
  if (!options.ToStandardOutput() && !platform::PathsNamingFile(sources, options.output).empty())
    throw platform::Error("Файл для сохранения — один из исходных файлов", options.output);
}

std::int64_t TotalSize(const std::vector<std::string>& sources) {
  std::int64_t total = 0;
  for (const std::string& path : sources) {
    total += std::max<std::int64_t>(platform::CandidateSize(path), 0);
  }
  return total;
}

// The check list of the window, every entry ticked; remembers the entry
// being read, for the error message.
class SourceList : public merge::CandidateList {
public:
  SourceList(const std::vector<std::string>& paths, std::string& current)
      : paths_(paths), current_(current) {}
  int Count() const override { return static_cast<int>(paths_.size()); }
  bool IsTicked(int) const override { return true; }
  void Select(int index) override {
    selected_ = index;
    current_ = paths_[static_cast<std::size_t>(index)];
  }
  std::string SelectedFullPath() const override {
    return paths_[static_cast<std::size_t>(selected_)];
  }

private:
  const std::vector<std::string>& paths_;
  std::string& current_;
  int selected_ = -1;
};

// Stacked merges of plain lines are streamed, in every encoding and with the
// byte-order mark; quoted records, header rows and quoting on save go
// through the table, as in the window.
bool Streamed(const BatchOptions& options) {
  const merge::CollectOptions& collect = options.collect;
  // --strict must know every loss before it writes: through the table.
  return !collect.side_by_side && !options.in_memory && !options.strict &&
         !collect.detect_delimiter && !collect.quotes && !collect.header && !options.save.quote;
}

// Merges and writes; what was lost on the way goes to `err` after the
// save (unless quiet), or with --strict fails the merge before anything is
// written.
void Merge(const BatchOptions& options, const std::vector<std::string>& sources,
           TerminalProgress& progress, std::string& current, std::FILE* err) {
  const exporter::OutputPlace place{options.output, options.ToStandardOutput()};
  if (Streamed(options)) {
    merge::EncodingReport encoding;
    merge::CollectOptions collect = options.collect;
    collect.encoding_report = &encoding;
    exporter::SaveReport save_report;
    exporter::SaveOptions save = options.save;
    save.report = &save_report;
    exporter::SaveStackedStreamed(sources, collect, place, save, &progress, &current);
    std::vector<std::string> losses = CollectLosses(encoding, {}, progress.CutFiles());
    for (std::string& line : SaveLosses(save_report))
      losses.push_back(std::move(line));
    if (!options.quiet)
      for (const std::string& line : losses)
        std::fprintf(err, "kleitab: %s\n", line.c_str());
    return;
  }
  merge::ResultTable table;
  SourceList list(sources, current);
  merge::EncodingReport encoding;
  merge::CollectOptions collect = options.collect;
  collect.encoding_report = &encoding;
  const merge::CollectSummary summary =
      merge::CollectFiles(table, list, collect, nullptr, &progress);
  current.clear();
  std::vector<std::string> losses = CollectLosses(encoding, summary, progress.CutFiles());
  exporter::SaveOptions save = options.save;
  exporter::SaveReport save_report;
  if (options.strict) {
    for (std::string& line : SaveLosses(DrySaveReport(table, save)))
      losses.push_back(std::move(line));
    if (!losses.empty()) {
      std::string text = losses.front();
      for (std::size_t i = 1; i < losses.size(); ++i)
        text += "; " + losses[i];
      throw platform::Error(text);
    }
  }
  save.report = &save_report;
  exporter::WriteTable(table, place, save, &progress);
  for (std::string& line : SaveLosses(save_report))
    losses.push_back(std::move(line));
  if (!options.quiet)
    for (const std::string& line : losses)
      std::fprintf(err, "kleitab: %s\n", line.c_str());
}

// With `advise` (a person reads the terminal; scripts read the message
// alone) the error box's Russian sentence follows on a line of its own.
void Report(std::FILE* err, const Failure& failure, bool advise) {
  const std::string sentence = ErrorSentence(failure.message, failure.file, failure.system_error);
  if (failure.file.empty())
    std::fprintf(err, "kleitab: %s\n", sentence.c_str());
  else
    std::fprintf(err, "kleitab: %s: %s\n", failure.file.c_str(), sentence.c_str());
  const std::string advice =
      advise ? platform::ErrorAdvice(failure.message, failure.file, failure.system_error) : "";
  if (!advice.empty())
    std::fprintf(err, "kleitab: %s\n", advice.c_str());
}

int SystemError(const platform::Error& error) {
  const auto* file_error = dynamic_cast<const platform::FileError*>(&error);
  return file_error != nullptr ? file_error->system_error() : 0;
}

// The settings file named on the command line, for an error reading it that
// names no file.
std::string SettingsArgument(const std::vector<std::string>& args) {
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--settings" && i + 1 < args.size())
      file = args[i + 1];
    else if (args[i].rfind("--settings=", 0) == 0)
      file = args[i].substr(11);
  }
  return file;
}

} // namespace

int RunBatch(const std::vector<std::string>& args, std::FILE* err, bool err_is_terminal) {
  BatchOptions options;
  try {
    options = ParseArguments(args);
  } catch (const UsageError& error) {
    std::fprintf(err, "kleitab: %s\nПодробнее: kleitab --help\n", error.what());
    return 2;
  } catch (const platform::Error& error) { // the settings file
    Report(err,
           {error.what(), error.file().empty() ? SettingsArgument(args) : error.file(),
            SystemError(error)},
           err_is_terminal);
    return 1;
  }
  if (options.action == BatchOptions::Action::kHelp) {
    std::fputs(HelpText().c_str(), stdout);
    return 0;
  }
  if (options.action == BatchOptions::Action::kVersion) {
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  }

  if (!options.quiet)
    for (const std::string& warning : options.warnings)
      std::fprintf(err, "kleitab: %s\n", warning.c_str());

  // A save killed earlier while it wrote over its file left that file's
  // whole new content aside: said before anything else is done.
  for (const platform::LeftContent& left : platform::LeftContents())
    std::fprintf(err, "kleitab: %s\n", platform::LeftContentMessage(left).c_str());

  std::string current; // the source being read when an error came
  std::optional<StandardInputCopy> standard_input;
  try {
    if (std::find(options.files.begin(), options.files.end(), "-") != options.files.end())
      standard_input.emplace(stdin);
    const std::vector<std::string> sources =
        options.files.empty()
            ? DirectorySources(options, options.quiet ? nullptr : err)
            : GivenSources(options.files, standard_input ? &*standard_input : nullptr);
    RefuseOutputAmongSources(options, sources);
    TerminalProgress::CatchInterrupts();
    const bool streamed = Streamed(options);
    TerminalProgress progress(err_is_terminal && !options.quiet ? err : nullptr,
                              static_cast<int>(sources.size()) * (streamed ? 2 : 1),
                              TotalSize(sources) * (streamed ? 2 : 1));
    Merge(options, sources, progress, current, err);
    return 0;
  } catch (...) {
    const platform::ErrorMessage error = platform::CurrentErrorMessage();
    switch (error.kind) {
    case platform::ErrorMessage::Kind::kCancelled:
      Report(err, {"Прервано", ""}, false);
      break;
    case platform::ErrorMessage::Kind::kOutOfMemory:
      Report(err, {error.text, current}, err_is_terminal);
      break;
    default:
      // The file layer names the file where it knows it; else the source
      // being read, else the output.
      Report(err,
             {error.text,
              !error.file.empty() ? error.file
              : !current.empty()  ? current
                                  : options.output,
              error.system_error},
             err_is_terminal);
      break;
    }
  }
  return 1;
}

} // namespace cli
