// The quoted record reader on arbitrary file contents, and quoting on the
// way back.
//
// Input: byte 0 picks the delimiter (0 for none, 1 for "§" as UTF-8, C2 A7,
// with a byte-order mark dropped, else that byte), byte 1 the reader's block
// size (small, so that records cross and outgrow blocks); the rest is the
// file. Checked on every input:
// - the records are exactly those of a plain byte-by-byte model of the rules;
// - the fields, each quoted where needed, the delimiter between them, each
//   record ended by CR LF (as saving writes them), read back into the same
//   records (for every delimiter but '"', CR, LF and byte 26), a record of
//   one empty field as none.

#include "export/quote_cell.h"
#include "fuzz_check.h"
#include "memory_file.h"
#include "merge/quoted_reader.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

using Records = std::vector<std::vector<std::string>>;

struct ModelResult {
  Records records;
  bool quote_left_open = false;
};

// The rules, one byte at a time.
ModelResult Model(std::string_view bytes, std::optional<char> delimiter,
                  std::string_view long_delimiter, bool drop_bom) {
  enum class State { kFieldStart, kPlain, kQuoted };
  ModelResult out;
  std::vector<std::string> fields;
  std::string field;
  bool open = false;
  State state = State::kFieldStart;
  // A record with a delimiter in it has a last field, empty or not.
  const auto end_record = [&] {
    if (open || !fields.empty())
      fields.push_back(field);
    out.records.push_back(fields);
    fields.clear();
    field.clear();
    open = false;
    state = State::kFieldStart;
  };
  const bool quotes_on = !(delimiter && *delimiter == '"');
  std::size_t i = drop_bom && bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  for (;;) {
    if (i == bytes.size()) {
      out.quote_left_open = state == State::kQuoted;
      end_record();
      break;
    }
    const char c = bytes[i];
    if (state == State::kQuoted) {
      if (c != '"') {
        field.push_back(c);
      } else if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
        field.push_back('"');
        ++i;
      } else {
        state = State::kPlain;
      }
      ++i;
      continue;
    }
    if (state == State::kFieldStart && c == '"' && quotes_on) {
      state = State::kQuoted;
      open = true;
      ++i;
      continue;
    }
    if (c == '\x1a' && i + 1 == bytes.size()) {
      end_record();
      break;
    }
    ++i;
    if (c == '\n' || c == '\r') {
      end_record();
      if (c == '\r' && i < bytes.size() && bytes[i] == '\n')
        ++i;
      // A record start at the end of the data, or at its last byte 26, gives
      // none.
      if (i == bytes.size() || (i + 1 == bytes.size() && bytes[i] == '\x1a'))
        break;
      continue;
    }
    // A byte 26 before the last byte is text, even as the delimiter.
    if (delimiter && c != '\x1a' &&
        (long_delimiter.empty() ? c == *delimiter
                                : bytes.substr(i - 1, long_delimiter.size()) == long_delimiter)) {
      if (!long_delimiter.empty())
        i += long_delimiter.size() - 1;
      fields.push_back(field);
      field.clear();
      open = false;
      state = State::kFieldStart;
      continue;
    }
    field.push_back(c);
    open = true;
    state = State::kPlain;
  }
  return out;
}

ModelResult ReadAll(std::string_view bytes, std::optional<char> delimiter, std::size_t block,
                    std::string_view long_delimiter = {}, bool drop_bom = false) {
  const MemoryFile file(bytes);
  merge::QuotedRecordReader reader(file.Path(), delimiter, block, nullptr, long_delimiter,
                                   drop_bom);
  ModelResult out;
  std::vector<std::string_view> fields;
  do {
    reader.NextRecord(fields);
    out.records.emplace_back(fields.begin(), fields.end());
  } while (!reader.AtDataEnd());
  out.quote_left_open = reader.QuoteLeftOpen();
  return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const bool utf8 = data[0] == 1;
  const std::optional<char> delimiter =
      data[0] == 0 ? std::nullopt : std::optional<char>(utf8 ? '\xA7' : static_cast<char>(data[0]));
  const std::string_view long_delimiter = utf8 ? "\xC2\xA7" : "";
  const std::size_t block_size = 16 + data[1] % 48;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

  const ModelResult read = ReadAll(bytes, delimiter, block_size, long_delimiter, utf8);
  const ModelResult model = Model(bytes, delimiter, long_delimiter, utf8);
  FUZZ_CHECK(read.records == model.records);
  FUZZ_CHECK(read.quote_left_open == model.quote_left_open);
  if (utf8)
    return 0; // saving writes one-byte delimiters

  // A delimiter that is a quote or a byte of the line rules cannot be read
  // back as one.
  if (!delimiter || std::string_view("\"\r\n\x1a").find(*delimiter) != std::string_view::npos)
    return 0;
  // A record of one empty field is saved as an empty line, which reads as no
  // field.
  std::string saved;
  Records expected = read.records;
  for (auto& record : expected) {
    for (std::size_t i = 0; i < record.size(); ++i) {
      if (i > 0)
        saved += *delimiter;
      saved += exporter::QuoteCell(record[i], *delimiter);
    }
    saved += "\r\n";
    if (record.size() == 1 && record[0].empty())
      record.clear();
  }
  const ModelResult again = ReadAll(saved, delimiter, block_size);
  FUZZ_CHECK(again.records == expected);
  FUZZ_CHECK(!again.quote_left_open);
  return 0;
}
