// The command line without the window: its errors (status, message, nothing
// written), its options, and the streamed stacked merge against the table
// on random folders, long lines and sources that change between the passes.

#include "cli/batch_run.h"
#include "export/save_table.h"
#include "export/streamed_save.h"
#include "merge/collect.h"
#include "merge/result_table.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "tests/cli/random_folder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

using testing_support::RandomFolder;
using testing_support::TempDir;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return "<missing>";
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

struct BatchRun {
  int status;
  std::string err;
};

BatchRun Batch(std::vector<std::string> args) {
  std::FILE* err = std::tmpfile();
  BatchRun run;
  run.status = cli::RunBatch(args, err, false);
  std::fflush(err);
  std::rewind(err);
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, err)) > 0)
    run.err.append(buffer, n);
  std::fclose(err);
  return run;
}

// --- Errors: status, the error box's text with the file, nothing written --

TEST(BatchErrorsTest, MissingDirectory) {
  TempDir out;
  const BatchRun run = Batch({"-o", out.File("o.csv"), out.File("nowhere")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kleitab: " + out.File("nowhere") + ": File not found.\n");
  EXPECT_EQ(ReadAll(out.File("o.csv")), "<missing>");
}

TEST(BatchErrorsTest, DirectoryWithoutCsvFiles) {
  TempDir dir;
  dir.Write("a.txt", "x\n");
  dir.Write(".hidden.csv", "x\n");
  const BatchRun run = Batch({"-o", dir.File("o.csv"), dir.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kleitab: " + dir.path() + ": В каталоге нет файлов *.csv.\n");
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "<missing>");
}

TEST(BatchErrorsTest, UnwritableOutputKeepsTheEarlierFile) {
  TempDir dir;
  TempDir out;
  dir.Write("a.csv", "1,2\n");
  const std::string target = out.Write("o.csv", "earlier\n");
  ::chmod(target.c_str(), 0444);
  for (const char* mode : {"--stacked", "--side-by-side"}) {
    const BatchRun run = Batch({"-o", target, mode, dir.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kleitab: " + target + ": File access denied.\n");
    EXPECT_EQ(ReadAll(target), "earlier\n");
  }
  // An output in a directory that does not exist.
  const BatchRun run = Batch({"-o", out.File("no/o.csv"), dir.path()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kleitab: " + out.File("no/o.csv") + ": Invalid filename (папки «" +
                         out.File("no") + "» нет).\n");
}

TEST(BatchErrorsTest, BadCommandLinesAreUsageErrors) {
  TempDir dir;
  dir.Write("a.csv", "1\n");
  const std::vector<std::vector<std::string>> bad = {
      {"-o", dir.File("o.csv"), "--bogus", dir.path()},
      {"-o", dir.File("o.csv"), "--file-name", "full", dir.path()},
      {"-o", dir.File("o.csv"), "--escape=yes", dir.path()},
      {dir.path()}, // no output
      {"-o"},
  };
  for (const auto& args : bad) {
    const BatchRun run = Batch(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_NE(run.err.find("kleitab --help"), std::string::npos);
  }
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "<missing>");
}

TEST(BatchErrorsTest, DoubtfulDelimitersAndSkipCountsAreSaid) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "x\ny\n");
  const std::string out = dir.File("o.csv");
  for (const std::string& bad :
       {std::string("--output-delimiter=abc"), std::string("--output-delimiter="),
        std::string("-d\xff"), std::string("-d\u2192")}) {
    const BatchRun run = Batch({"-o", out, bad, a});
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_NE(run.err.find(bad.substr(0, 2) == "-d" ? "-d:" : "--output-delimiter:"),
              std::string::npos)
        << run.err;
  }
  EXPECT_EQ(ReadAll(out), "<missing>");
  // A skip count the window would read leniently is read so, and said.
  for (const auto& [skip, said] :
       std::vector<std::pair<std::string, std::string>>{{"abc", "0"}, {"-5", "0"}, {"1x", "1"}}) {
    const BatchRun run = Batch({"-o", out, "--skip", skip, a});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "kleitab: --skip «" + skip +
                           "» — не число строк; как и в окне, убирается строк: " + said + "\n");
    EXPECT_EQ(Batch({"-q", "-o", out, "--skip", skip, a}).err, "");
  }
  EXPECT_EQ(Batch({"-o", out, "--skip", " 1", a}).err, "");
}

TEST(BatchErrorsTest, LockedSourceNamesTheFile) {
  TempDir dir;
  TempDir out;
  dir.Write("a.csv", "1\n");
  const std::string locked = dir.Write("b.csv", "2\n");
  const int fd = ::open(locked.c_str(), O_RDWR);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0); // a writer elsewhere
  for (const char* mode : {"--stacked", "--side-by-side"}) {
    const BatchRun run = Batch({"-o", out.File("o.csv"), mode, dir.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kleitab: " + locked + ": I/O error 32.\n");
    EXPECT_EQ(ReadAll(out.File("o.csv")), "<missing>");
  }
  ::close(fd);
}

// A person at a terminal reads the error box's Russian sentence after the
// message; a script reads the message alone (the tests above).
TEST(BatchErrorsTest, TerminalHearsTheRussianSentence) {
  TempDir out;
  std::FILE* err = std::tmpfile();
  ASSERT_EQ(cli::RunBatch({"-o", out.File("o.csv"), out.File("nowhere")}, err, true), 1);
  std::rewind(err);
  char buffer[4096];
  const std::size_t n = std::fread(buffer, 1, sizeof buffer, err);
  std::fclose(err);
  EXPECT_EQ(std::string(buffer, n), "kleitab: " + out.File("nowhere") +
                                        ": File not found.\nkleitab: Файл не найден — возможно, "
                                        "его удалили или переименовали.\n");
}

TEST(BatchErrorsTest, MissingGivenFile) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1\n");
  const BatchRun run = Batch({"-o", dir.File("o.csv"), a, dir.File("b.csv")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "kleitab: " + dir.File("b.csv") + ": File not found.\n");
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "<missing>");
}

// --- Options ---------------------------------------------------------------

TEST(BatchOptionsTest, GivenFilesInTheOrderGivenAndTheOutputLeftOutOfADirectory) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1\n");
  const std::string b = dir.Write("b.csv", "2;3\n");
  ASSERT_EQ(Batch({"-o", dir.File("o.csv"), "-d", ";", "--file-name", "name", b, a}).status, 0);
  // A fresh table has two rows: the second file starts below them.
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "2,3,b,\r\n,,,\r\n1,a,,\r\n");
  // The output is now a *.csv of the directory: a second run does not read it.
  ASSERT_EQ(Batch({"-o", dir.File("o.csv"), "--skip", " 1x", dir.path()}).status, 0);
  EXPECT_EQ(ReadAll(dir.File("o.csv")), ",,\r\n,,\r\n");
}

// "auto" finds each file's own delimiter from its start.
TEST(BatchOptionsTest, DelimiterAutoIsFoundPerFile) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1;2\n3;4\n");
  const std::string b = dir.Write("b.csv", "5\t6\n");
  const std::string c = dir.Write("c.csv", "7,8\n");
  ASSERT_EQ(Batch({"-o", dir.File("o.csv"), "-d", "auto", "--stacked", a, b, c}).status, 0);
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "1,2,\r\n3,4,\r\n5,6,\r\n7,8,\r\n");
}

TEST(BatchOptionsTest, QuotesHeaderAndMatchingAsInTheWindow) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "id,name\r\n1,\"Smith, John\"\r\n");
  const std::string b = dir.Write("b.csv", "name,id\r\n\"Doe,\r\nJane\",2\r\n");
  ASSERT_EQ(Batch({"-o", dir.File("o.csv"), "--quotes", "--header", "--match-headers",
                   "--quote-output", "--stacked", a, b})
                .status,
            0);
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "id,name\r\n1,\"Smith, John\"\r\n2,\"Doe,\r\nJane\"\r\n");
}

// Quoting on save alone reads plain lines, yet must not take the streamed
// path, which knows no quoting.
TEST(BatchOptionsTest, QuoteOutputAloneQuotesTheCellsThatNeedIt) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1;x,y;say \"hi\"\r\n");
  ASSERT_EQ(Batch({"-o", dir.File("o.csv"), "-d", ";", "--quote-output", "--stacked", a}).status,
            0);
  EXPECT_EQ(ReadAll(dir.File("o.csv")), "1,\"x,y\",\"say \"\"hi\"\"\",\r\n,,,\r\n");
}

TEST(BatchOptionsTest, SettingsFileGivesTheDefaultsAndFlagsWin) {
  TempDir dir;
  dir.Write("a.csv", "1;2\n");
  // Side by side, names added, ";" read, "|" written, Edit1 relative to Direct.
  dir.Write("init.ini", "Edit1=out.txt\r\nEdit2=;\r\nEdit3=4\r\nCheckBox1=TRUE\r\n"
                        "CheckBox2=TRUE\r\nCheckBox3=TRUE\r\nCheckBox4=FALSE\r\n"
                        "CheckBox5=FALSE\r\nCheckBox6=FALSE\r\nComboBox1=\xD1\xEE\xE1\xF0\xE0\xF2"
                        "\xFC \xEF\xEE \xE3\xEE\xF0\xE8\xE7\xEE\xED\xF2\xE0\xEB\xE8 \r\n"
                        "ComboBox2=|\r\nDirect=" +
                            dir.path() + "\r\n");
  ASSERT_EQ(Batch({"--settings", dir.File("init.ini")}).status, 0);
  EXPECT_EQ(ReadAll(dir.File("out.txt")), "||1|2|a|\r\n|||||\r\n");
  ASSERT_EQ(Batch({"--settings", dir.File("init.ini"), "--stacked", "--file-name", "none", "-o",
                   dir.File("o2.txt")})
                .status,
            0);
  EXPECT_EQ(ReadAll(dir.File("o2.txt")), "1|2|\r\n||\r\n");
  EXPECT_EQ(Batch({"--settings", dir.File("none.ini"), "-o", dir.File("x")}).status, 1);
}

// --- The streamed merge against the table ----------------------------------

std::string ThroughTable(const std::vector<std::string>& sources,
                         const merge::CollectOptions& options, const std::string& out, char d,
                         bool escape, bool utf8) {
  class Paths : public merge::CandidateList {
  public:
    explicit Paths(const std::vector<std::string>& p) : p_(p) {}
    int Count() const override { return static_cast<int>(p_.size()); }
    bool IsTicked(int) const override { return true; }
    void Select(int i) override { i_ = i; }
    std::string SelectedFullPath() const override { return p_[static_cast<std::size_t>(i_)]; }

  private:
    const std::vector<std::string>& p_;
    int i_ = -1;
  } list(sources);
  merge::ResultTable table;
  merge::CollectFiles(table, list, options, nullptr);
  exporter::SaveTable(table, out, {d, escape, utf8});
  return ReadAll(out);
}

TEST(StreamedMergeTest, EqualsTheTableOnRandomFolders) {
  RandomFolder random(7);
  for (int round = 0; round < 150; ++round) {
    TempDir dir;
    random.Fill(dir.path(), 8);
    std::vector<std::string> sources;
    for (const std::string& name : platform::ListCsvFiles(dir.path()))
      sources.push_back(dir.File(name));
    if (round % 10 == 0)
      sources.push_back(dir.File("gone.csv")); // skipped without a word, as by the table
    merge::CollectOptions options;
    options.delimiter_text = std::string(1, ",;\t|"[random.Below(4)]);
    options.add_file_name = random.Below(2) == 0;
    options.name_only = random.Below(2) == 0;
    options.skip_count = static_cast<std::int32_t>(random.Below(4)) - 1;
    const char d = ",;|"[random.Below(3)];
    const bool escape = random.Below(2) == 0;
    const bool utf8 = random.Below(2) == 0;
    exporter::SaveStackedStreamed(sources, options, {dir.File("streamed.out"), false},
                                  {d, escape, utf8});
    EXPECT_EQ(ReadAll(dir.File("streamed.out")),
              ThroughTable(sources, options, dir.File("table.out"), d, escape, utf8))
        << "round " << round;
  }
}

// The name column in front streams as the table places it.
TEST(StreamedMergeTest, NameFirstEqualsTheTable) {
  RandomFolder random(24);
  for (int round = 0; round < 40; ++round) {
    TempDir dir;
    random.Fill(dir.path(), 6);
    std::vector<std::string> sources;
    for (const std::string& name : platform::ListCsvFiles(dir.path()))
      sources.push_back(dir.File(name));
    merge::CollectOptions options;
    options.delimiter_text = std::string(1, ",;"[random.Below(2)]);
    options.name_only = random.Below(2) == 0;
    options.file_name_first = true;
    options.skip_count = static_cast<std::int32_t>(random.Below(3)) - 1;
    const bool escape = random.Below(2) == 0;
    exporter::SaveStackedStreamed(sources, options, {dir.File("streamed.out"), false},
                                  {';', escape, false});
    EXPECT_EQ(ReadAll(dir.File("streamed.out")),
              ThroughTable(sources, options, dir.File("table.out"), ';', escape, false))
        << "round " << round;
  }
}

// Every encoding streams as the table gives it: the same bytes (with the
// mark when asked) and the same losses told, on random folders and choices.
TEST(StreamedMergeTest, EveryEncodingEqualsTheTable) {
  using merge::SourceEncoding;
  const SourceEncoding encodings[] = {SourceEncoding::kCp1251,  SourceEncoding::kUtf8,
                                      SourceEncoding::kDetect,  SourceEncoding::kUtf16Le,
                                      SourceEncoding::kUtf16Be, SourceEncoding::kCp866,
                                      SourceEncoding::kKoi8r};
  RandomFolder random(1251);
  for (int round = 0; round < 70; ++round) {
    TempDir dir;
    random.Fill(dir.path(), 6);
    // Some files in UTF-8 and UTF-16, which the random folder never writes.
    dir.Write("u8.csv", random.Below(2) == 0 ? "\xEF\xBB\xBFid,\xD0\xB6\xA7x\n\xE2\x82\xAC,2\n"
                                             : "a\xA7\xD0\xB6,\xFF\n");
    dir.Write("u16.csv", std::string("\xFF\xFE"
                                     "a\0,\0\x36\x04\n\0",
                                     10));
    std::vector<std::string> sources;
    for (const std::string& name : platform::ListCsvFiles(dir.path()))
      sources.push_back(dir.File(name));
    merge::CollectOptions options;
    options.source_encoding = encodings[random.Below(7)];
    options.delimiter_text = std::string(1, ",;\xA7"[random.Below(3)]);
    options.add_file_name = random.Below(2) == 0;
    options.name_only = random.Below(2) == 0;
    options.file_name_first = random.Below(3) == 0;
    options.skip_count = static_cast<std::int32_t>(random.Below(3)) - 1;
    exporter::SaveOptions save{",;\xA7"[random.Below(3)], random.Below(2) == 0,
                               random.Below(2) == 0, random.Below(2) == 0};
    struct Losses {
      merge::EncodingReport encoding;
      exporter::SaveReport save;
      std::tuple<int, std::int64_t, std::int64_t, std::int32_t, std::int32_t, std::int64_t>
      Key() const {
        return {encoding.invalid_utf8_files, encoding.replaced_characters, save.replaced_characters,
                save.first_replaced_row,     save.first_replaced_col,      save.repaired_sequences};
      }
    } streamed, through_table;
    merge::CollectOptions with_report = options;
    with_report.encoding_report = &streamed.encoding;
    exporter::SaveOptions streamed_save = save;
    streamed_save.report = &streamed.save;
    exporter::SaveStackedStreamed(sources, with_report, {dir.File("streamed.out"), false},
                                  streamed_save);
    class Paths : public merge::CandidateList {
    public:
      explicit Paths(const std::vector<std::string>& p) : p_(p) {}
      int Count() const override { return static_cast<int>(p_.size()); }
      bool IsTicked(int) const override { return true; }
      void Select(int i) override { i_ = i; }
      std::string SelectedFullPath() const override { return p_[static_cast<std::size_t>(i_)]; }

    private:
      const std::vector<std::string>& p_;
      int i_ = -1;
    } list(sources);
    merge::ResultTable table;
    with_report.encoding_report = &through_table.encoding;
    merge::CollectFiles(table, list, with_report, nullptr);
    exporter::SaveOptions table_save = save;
    table_save.report = &through_table.save;
    exporter::SaveTable(table, dir.File("table.out"), table_save);
    EXPECT_EQ(ReadAll(dir.File("streamed.out")), ReadAll(dir.File("table.out")))
        << "round " << round;
    EXPECT_EQ(streamed.Key(), through_table.Key()) << "round " << round;
  }
}

TEST(StreamedMergeTest, LinesLongerThanTheOutputBuffer) {
  TempDir dir;
  const std::string long_field(9u << 20, 'q');
  const std::string a = dir.Write("a.csv", "x," + long_field + ",y\nshort\n" + long_field);
  for (const bool escape : {false, true}) {
    merge::CollectOptions options;
    options.delimiter_text = ",";
    options.add_file_name = true;
    exporter::SaveStackedStreamed({a}, options, {dir.File("s.out"), false}, {';', escape, false});
    EXPECT_TRUE(ReadAll(dir.File("s.out")) ==
                ThroughTable({a}, options, dir.File("t.out"), ';', escape, false));
  }
}

// Appends to the first source when the second pass opens it.
class ChangingProgress : public platform::Progress {
public:
  ChangingProgress(std::string path, int sources) : path_(std::move(path)), sources_(sources) {}
  void FileStarted(const std::string&, std::int64_t) override {
    if (++started_ == sources_ + 1)
      std::ofstream(path_, std::ios::app) << "late,line\n";
  }
  void BytesDone(std::int64_t) override {}
  bool CancelRequested() override { return false; }

private:
  std::string path_;
  int sources_;
  int started_ = 0;
};

TEST(StreamedMergeTest, ASourceChangedBetweenThePassesFailsAndWritesNothing) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1,2\n");
  const std::string b = dir.Write("b.csv", "3\n");
  const std::string out = dir.Write("o.out", "earlier");
  ChangingProgress progress(a, 2);
  std::string current;
  merge::CollectOptions options;
  EXPECT_THROW(
      exporter::SaveStackedStreamed({a, b}, options, {out, false}, {}, &progress, &current),
      platform::Error);
  EXPECT_EQ(current, a);
  EXPECT_EQ(ReadAll(out), "earlier");
}

} // namespace

namespace {

TEST(BatchOptionsTest, EncodingAndByteOrderMarkGoThroughTheTable) {
  TempDir dir;
  dir.Write("a.csv", "\xd0\xb0,1\n"); // "а" in UTF-8
  ASSERT_EQ(
      Batch({"-o", dir.File("o.txt"), "--encoding", "utf-8", "--utf8", "--bom", dir.path()}).status,
      0);
  EXPECT_EQ(ReadAll(dir.File("o.txt")), "\xef\xbb\xbf\xd0\xb0,1,\r\n,,\r\n");
  EXPECT_EQ(Batch({"-o", dir.File("o.txt"), "--encoding", "koi8", dir.path()}).status, 2);
  // The same two options taken from the window's init.ini.
  dir.Write("init.ini", "Edit1=s.txt\r\nEdit2=,\r\nEdit3=4\r\nCheckBox1=FALSE\r\n"
                        "CheckBox2=TRUE\r\nCheckBox3=TRUE\r\nCheckBox4=TRUE\r\n"
                        "CheckBox5=FALSE\r\nCheckBox6=FALSE\r\nComboBox1=x\r\n"
                        "ComboBox2=,\r\nDirect=" +
                            dir.path() + "\r\nComboBox3=UTF-8\r\nCheckBox11=TRUE\r\n");
  ASSERT_EQ(Batch({"--settings", dir.File("init.ini"), "--stacked", dir.File("a.csv")}).status, 0);
  EXPECT_EQ(ReadAll(dir.File("s.txt")), "\xef\xbb\xbf\xd0\xb0,1,\r\n,,\r\n");
}

} // namespace

// A working directory deeper than any one name may be (PATH_MAX): sources
// given by their bare name, by their full name and as a directory are read,
// and the output is written there.
TEST(BatchOptionsTest, PathsLongerThanAnyOneName) {
  TempDir dir;
  const std::string here = platform::CurrentDirectory();
  platform::EnterDirectory(dir.path());
  const std::string step(199, 'd');
  for (int depth = 0; depth < 24; ++depth) {
    ASSERT_EQ(::mkdir(step.c_str(), 0755), 0);
    platform::EnterDirectory(step);
  }
  const std::string deep = platform::CurrentDirectory();
  ASSERT_GT(deep.size(), std::size_t{PATH_MAX});
  std::ofstream("x.csv") << "1,2\n3,4\n";
  const std::vector<std::vector<std::string>> runs = {{"-o", "out.csv", "x.csv"},
                                                      {"-o", deep + "/out.csv", deep + "/x.csv"},
                                                      {"-o", "out.csv", "."}};
  for (const std::vector<std::string>& args : runs) {
    const BatchRun run = Batch(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadAll("out.csv"), "1,2,\r\n3,4,\r\n") << args[2];
  }
  platform::EnterDirectory(here);
}

// Each error names the file or option and says what is wrong with it.
TEST(BatchErrorsTest, MessagesSayWhatIsWrong) {
  TempDir dir;
  const std::string a = dir.Write("a.csv", "1\n");
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_EQ(::mkdir(dir.File("dir.csv").c_str(), 0755), 0);
  ASSERT_EQ(::symlink("loop2", dir.File("loop1").c_str()), 0);
  ASSERT_EQ(::symlink("loop1", dir.File("loop2").c_str()), 0);
  const std::string not_file = " (это не обычный файл, а канал, устройство или сокет).\n";
  const std::string o = dir.File("o.csv");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-o", dir.File("dir.csv"), a},
       dir.File("dir.csv") + ": File access denied (это каталог, а не файл).\n"},
      {{"--settings", dir.File("none.ini"), "-o", o, a},
       dir.File("none.ini") + ": File not found.\n"},
      {{"--settings", fifo, "-o", o, a}, fifo + ": File not found" + not_file},
      {{"-o", o, fifo}, fifo + ": Invalid filename" + not_file},
      {{"-o", "/dev/full", a}, "/dev/full: File access denied" + not_file},
      {{"-o", o, dir.File("loop1")},
       dir.File("loop1") + ": I/O error 40 (символические ссылки образуют петлю).\n"},
  };
  for (const auto& [args, message] : cases) {
    const BatchRun run = Batch(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "kleitab: " + message);
  }
  EXPECT_EQ(ReadAll(o), "<missing>");
}
