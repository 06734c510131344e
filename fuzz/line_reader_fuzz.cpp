// The line reader and the splitter on arbitrary file contents.
//
// Input: byte 0 picks the delimiter (0 for none, else that byte), byte 1 the
// reader's block size (small, so that lines cross and outgrow blocks); the
// rest is the file. Checked on every input:
// - the lines are exactly those of a plain model of the rules: the data ends
//   at the first byte 26; LF ends a line; a final LF starts no further line;
//   every CR is removed; no data at all still gives one empty line;
// - no line holds LF, CR or byte 26;
// - an empty line gives no field; otherwise the fields joined with the
//   delimiter, plus one more delimiter when the line ends in it, give back
//   the line; without a delimiter the line is its one field.

#include "fuzz_check.h"
#include "memory_file.h"
#include "merge/line_reader.h"
#include "merge/split_line.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<std::string> ModelLines(std::string_view bytes) {
  const std::string_view data = bytes.substr(0, bytes.find('\x1a'));
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      lines.push_back(line);
      line.clear();
    } else if (data[i] != '\r') {
      line.push_back(data[i]);
    }
  }
  if (data.empty() || data.back() != '\n')
    lines.push_back(line);
  return lines;
}

void CheckSplit(std::string_view line, std::optional<char> delimiter) {
  const std::vector<std::string_view> fields = merge::SplitLine(line, delimiter);
  if (line.empty()) {
    FUZZ_CHECK(fields.empty());
    return;
  }
  FUZZ_CHECK(!fields.empty());
  if (!delimiter) {
    FUZZ_CHECK(fields.size() == 1 && fields[0] == line);
    return;
  }
  std::string joined;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    FUZZ_CHECK(fields[i].find(*delimiter) == std::string_view::npos);
    if (i > 0)
      joined.push_back(*delimiter);
    joined.append(fields[i]);
  }
  if (line.back() == *delimiter)
    joined.push_back(*delimiter);
  FUZZ_CHECK(joined == line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const std::optional<char> delimiter =
      data[0] == 0 ? std::nullopt : std::optional<char>(static_cast<char>(data[0]));
  const std::size_t block_size = 16 + data[1] % 48;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  const MemoryFile file(bytes);
  merge::LineReader reader(file.Path(), block_size);
  std::vector<std::string> lines;
  do { // the end test follows the read, as when a source file is read
    const std::string_view line = reader.NextLine();
    FUZZ_CHECK(line.find_first_of(std::string_view("\n\r\x1a", 3)) == std::string_view::npos);
    CheckSplit(line, delimiter);
    lines.emplace_back(line);
  } while (!reader.AtDataEnd());
  FUZZ_CHECK(lines == ModelLines(bytes));
  return 0;
}
