// Writes the benchmark's CSV files, the same bytes on every run:
//   gen_csv <directory> <file count> <bytes per file> [seed] [--quoted] [--drift]
//           [--joined=N]
// Ten fields a line of about 60 bytes, a header line first; files with an
// odd number end their lines in CR LF, the others in LF; some fields are
// Cyrillic words in Windows-1251.
// --quoted: the name field as a spreadsheet writes it, in quotes, holding a
// comma, now and then a doubled quote or a line break.
// --drift: the columns drift from file to file: in every third file (1, 4,
// ...) code and name are swapped, in the next ones (2, 5, ...) a column
// "note" is added at the end.
// --joined=N: N records a line, joined by commas (20,000 make lines of
// 1.2 MB and 200,000 fields).

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace {

// splitmix64: small, fast, and the same everywhere.
class Random {
public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }

private:
  std::uint64_t state_;
};

// Surnames and cities in Windows-1251.
const char* const kWords[] = {
    "\xc8\xe2\xe0\xed\xee\xe2",     // Иванов
    "\xcf\xe5\xf2\xf0\xee\xe2\xe0", // Петрова
    "\xd1\xe8\xe4\xee\xf0\xee\xe2", // Сидоров
    "\xca\xe0\xe7\xe0\xed\xfc",     // Казань
    "\xcc\xee\xf1\xea\xe2\xe0",     // Москва
    "\xd2\xe2\xe5\xf0\xfc",         // Тверь
    "Smith",
    "Orlov",
};
const char* const kStatus[] = {"ok", "new", "done", "\xed\xe5\xf2"}; // нет

void AppendNumber(std::string& out, std::uint64_t v) {
  char buf[24];
  int n = std::snprintf(buf, sizeof buf, "%llu", static_cast<unsigned long long>(v));
  out.append(buf, static_cast<std::size_t>(n));
}

struct Shape {
  bool quoted = false;
  bool swapped = false; // code and name change places
  bool note = false;    // an eleventh column
};

void AppendName(std::string& out, Random& rnd, bool quoted) {
  if (!quoted) {
    out += kWords[rnd.Below(8)];
    return;
  }
  out += '"';
  out += kWords[rnd.Below(8)];
  out += ", ";
  out += kWords[rnd.Below(8)];
  const unsigned extra = rnd.Below(16);
  if (extra == 0)
    out += " \"\"jr\"\"";
  else if (extra == 1)
    out += "\r\nsecond line";
  out += '"';
}

void AppendLine(std::string& out, Random& rnd, std::uint64_t id, const char* eol,
                const Shape& shape) {
  char buf[64];
  AppendNumber(out, 1000000 + id);
  out += ',';
  int n = std::snprintf(buf, sizeof buf, "20%02u-%02u-%02u", 10 + rnd.Below(15), 1 + rnd.Below(12),
                        1 + rnd.Below(28));
  out.append(buf, static_cast<std::size_t>(n));
  out += ',';
  n = std::snprintf(buf, sizeof buf, "%c%c-%04u", 'A' + rnd.Below(26), 'A' + rnd.Below(26),
                    rnd.Below(10000));
  if (shape.swapped) {
    AppendName(out, rnd, shape.quoted);
    out += ',';
    out.append(buf, static_cast<std::size_t>(n));
  } else {
    out.append(buf, static_cast<std::size_t>(n));
    out += ',';
    AppendName(out, rnd, shape.quoted);
  }
  out += ',';
  AppendNumber(out, rnd.Below(1000));
  out += ',';
  n = std::snprintf(buf, sizeof buf, "%u.%02u", rnd.Below(100000), rnd.Below(100));
  out.append(buf, static_cast<std::size_t>(n));
  out += ',';
  AppendNumber(out, 1 + rnd.Below(99));
  out += ',';
  out += static_cast<char>('0' + rnd.Below(2));
  out += ',';
  out += kStatus[rnd.Below(4)];
  out += ',';
  AppendNumber(out, rnd.Below(1000000));
  if (shape.note)
    out += ",n";
  out += eol;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr,
                 "usage: %s <directory> <file count> <bytes per file> [seed] [--quoted] [--drift] "
                 "[--joined=N]\n",
                 argv[0]);
    return 2;
  }
  bool quoted = false;
  bool drift = false;
  long records_per_line = 1;
  for (int i = 5; i < argc; ++i) {
    const std::string arg = argv[i];
    quoted = quoted || arg == "--quoted";
    drift = drift || arg == "--drift";
    if (arg.rfind("--joined=", 0) == 0)
      records_per_line = std::max(1L, std::atol(arg.c_str() + 9));
  }
  const std::string dir = argv[1];
  const long files = std::atol(argv[2]);
  const long long bytes_per_file = std::atoll(argv[3]);
  const std::uint64_t seed = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 1;
  ::mkdir(dir.c_str(), 0755);
  Random rnd(seed);
  std::string chunk;
  std::uint64_t id = 0;
  for (long f = 0; f < files; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "/part%05ld.csv", f);
    const std::string path = dir + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
      std::perror(path.c_str());
      return 1;
    }
    const char* eol = f % 2 == 1 ? "\r\n" : "\n";
    Shape shape;
    shape.quoted = quoted;
    shape.swapped = drift && f % 3 == 1;
    shape.note = drift && f % 3 == 2;
    chunk = shape.swapped ? "id,date,name,code" : "id,date,code,name";
    chunk += ",qty,price,region,flag,status,ref";
    if (shape.note)
      chunk += ",note";
    chunk += eol;
    long long written = 0;
    long in_line = 0;
    while (written + static_cast<long long>(chunk.size()) < bytes_per_file) {
      const bool line_ends = ++in_line == records_per_line;
      AppendLine(chunk, rnd, id++, line_ends ? eol : ",", shape);
      if (line_ends)
        in_line = 0;
      if (chunk.size() >= (1u << 20)) {
        written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
        chunk.clear();
      }
    }
    written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
    chunk.clear();
    if (std::fclose(out) != 0) {
      std::perror(path.c_str());
      return 1;
    }
  }
  return 0;
}
