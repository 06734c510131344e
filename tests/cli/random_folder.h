#pragma once
// Random source folders and random choices for comparing the command line
// with the window and the streamed merge with the table: file names in every
// letter case and numbering, hidden and non-CSV names, lines with every kind
// of end, delimiters, empty fields, Windows-1251 letters, long and empty
// lines, empty files and a Ctrl+Z.

#include <cstdint>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace testing_support {

struct RandomChoices {
  std::string delimiter;        // as the command line takes it ("tab" for a tab)
  std::string output_delimiter; // the same
  std::string file_name;        // none, name or path
  std::string skip;             // empty: no --skip
  bool side_by_side = false;
  bool escape = false;
  bool utf8 = false;
  bool in_memory = false;

  // The delimiter as the window's field holds it.
  static std::string WidgetText(const std::string& text) { return text == "tab" ? "\t" : text; }

  std::vector<std::string> Arguments() const {
    std::vector<std::string> args = {
        "-d", delimiter, "--output-delimiter", output_delimiter, "--file-name", file_name};
    if (!skip.empty())
      args.insert(args.end(), {"--skip", skip});
    if (side_by_side)
      args.push_back("--side-by-side");
    if (escape)
      args.push_back("--escape");
    if (utf8)
      args.push_back("--utf8");
    if (in_memory)
      args.push_back("--in-memory");
    return args;
  }
};

class RandomFolder {
public:
  explicit RandomFolder(std::uint32_t seed) : random_(seed) {}

  RandomChoices Choices() {
    static const char* const kDelimiters[] = {",", ";", "tab", "|", ""};
    static const char* const kOutput[] = {",", ";", "tab", "|"};
    static const char* const kNames[] = {"none", "name", "path"};
    static const char* const kSkips[] = {"", "", "1", " 2", "0", "-1", "x", "$3", "1a"};
    RandomChoices c;
    c.delimiter = kDelimiters[Below(5)];
    c.output_delimiter = kOutput[Below(4)];
    c.file_name = kNames[Below(3)];
    c.skip = kSkips[Below(9)];
    c.side_by_side = Below(3) == 0;
    c.escape = Below(2) == 0;
    c.utf8 = Below(3) == 0;
    c.in_memory = Below(3) == 0;
    return c;
  }

  // Writes 0 .. max_files files (and some that are not sources) into `dir`.
  void Fill(const std::string& dir, int max_files) {
    static const char* const kStems[] = {"a",     "B",    "file2", "file10",   "\xd0\xb1" /* б */,
                                         "x.csv", "data", "Z9",    "report 1", "m.n"};
    static const char* const kExtensions[] = {".csv", ".CSV", ".Csv"};
    std::set<std::string> used;
    const int files = static_cast<int>(Below(static_cast<unsigned>(max_files) + 1));
    for (int i = 0; i < files; ++i) {
      std::string name = std::string(kStems[Below(10)]) + kExtensions[Below(3)];
      if (!used.insert(name).second)
        continue;
      Write(dir + "/" + name, Content());
    }
    if (Below(2) == 0)
      Write(dir + "/.hidden.csv", "hidden,1\n");
    if (Below(2) == 0)
      Write(dir + "/notes.txt", "not,a,source\n");
  }

  std::string Content() {
    std::string out;
    const unsigned lines = Below(4) == 0 ? 0 : Below(12);
    for (unsigned i = 0; i < lines; ++i) {
      const unsigned fields = Below(7);
      for (unsigned f = 0; f < fields; ++f) {
        if (f > 0)
          out += kSeparators[Below(4)];
        out += Field();
      }
      static const char* const kEnds[] = {"\n", "\r\n", "\n", "\r\r\n"};
      if (i + 1 < lines || Below(2) == 0)
        out += kEnds[Below(4)];
    }
    if (Below(15) == 0)
      out += "\x1a"
             "after,the,end\n";
    return out;
  }

  unsigned Below(unsigned n) { return n == 0 ? 0 : static_cast<unsigned>(random_() % n); }

private:
  static constexpr const char* kSeparators[] = {",", ";", "\t", "|"};

  std::string Field() {
    static const char* const kTexts[] = {
        "",     "1",    "abc", "\xcf\xf0\xe8\xe2\xe5\xf2" /* Привет */, "#", "x y", "\x98",
        "\x01", "12.5", "\xff"};
    std::string field = kTexts[Below(10)];
    if (Below(40) == 0)
      field.append(300 + Below(2000), static_cast<char>('a' + Below(26)));
    return field;
  }

  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }

  std::mt19937 random_;
};

} // namespace testing_support
