#include "merge/detect_options.h"

#include "platform/file.h"
#include "platform/utf8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

namespace merge {

namespace {

// Enough records to see a pattern; few enough that a thousand files are
// looked at in well under a second.
constexpr std::size_t kRecordsLooked = 200;
// The share of records that must have the same number of fields.
constexpr double kAlike = 0.9;

// The records of a file's start as one delimiter cuts them.
struct Split {
  std::vector<std::size_t> counts;               // fields of each non-empty record
  std::vector<std::vector<std::string>> records; // their fields, when kept
  int quoted_fields = 0;
  bool malformed = false; // a closing quote followed by something else
};

bool EndsRecord(char c) {
  return c == '\n' || c == '\r';
}

// Cuts `text` as the quoted reader would (quotes) or as lines are cut
// (plain: LF ends a line, CRs are dropped). A record the end of a cut
// start may have split is left out.
Split Cut(std::string_view text, bool whole, char delimiter, bool quotes, bool keep) {
  Split split;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && split.counts.size() < kRecordsLooked) {
    std::vector<std::string> fields;
    std::string field;
    std::size_t count = 0; // delimiters met
    bool complete = false;
    bool any = false;
    while (i < n) {
      const char c = text[i];
      if (quotes && c == '"' && field.empty() && !any) {
        // A quoted field runs to the next quote that is not doubled.
        std::size_t j = i + 1;
        bool closed = false;
        while (j < n) {
          if (text[j] == '"') {
            if (j + 1 < n && text[j + 1] == '"') {
              if (keep)
                field.push_back('"');
              j += 2;
              continue;
            }
            closed = true;
            break;
          }
          if (keep)
            field.push_back(text[j]);
          ++j;
        }
        if (!closed) {
          i = n;
          break; // open to the end: the record is cut or broken
        }
        ++split.quoted_fields;
        i = j + 1;
        any = true;
        if (i < n && text[i] != delimiter && !EndsRecord(text[i]))
          split.malformed = true;
        continue;
      }
      if (c == delimiter) {
        ++count;
        if (keep)
          fields.push_back(std::move(field));
        field.clear();
        any = false;
        ++i;
        continue;
      }
      if (c == '\n' || (quotes && c == '\r')) {
        i += (c == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        complete = true;
        break;
      }
      if (c != '\r' && keep)
        field.push_back(c);
      any = any || c != '\r';
      ++i;
    }
    if (!complete && !whole)
      break;
    if (count > 0 || any) {
      split.counts.push_back(count + 1);
      if (keep) {
        fields.push_back(std::move(field));
        split.records.push_back(std::move(fields));
      }
    }
  }
  return split;
}

// Plain lines cut by every delimiter at once, as Cut does one at a time:
// one pass over the bytes instead of one per delimiter.
std::array<Split, kDetectableDelimiters.size()> PlainSplits(std::string_view text, bool whole) {
  std::array<int, 256> slot;
  slot.fill(-1);
  for (std::size_t k = 0; k < kDetectableDelimiters.size(); ++k)
    slot[static_cast<unsigned char>(kDetectableDelimiters[k])] = static_cast<int>(k);
  std::array<Split, kDetectableDelimiters.size()> splits;
  std::size_t pos = 0;
  std::size_t records = 0;
  while (pos < text.size() && records < kRecordsLooked) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
      if (!whole)
        break; // the cut may have split the last line
      end = text.size();
    }
    std::array<std::size_t, kDetectableDelimiters.size()> counts{};
    bool any = false;
    for (std::size_t i = pos; i < end; ++i) {
      const char c = text[i];
      any = any || c != '\r';
      const int k = slot[static_cast<unsigned char>(c)];
      if (k >= 0)
        ++counts[static_cast<std::size_t>(k)];
    }
    if (any) {
      ++records;
      for (std::size_t k = 0; k < counts.size(); ++k)
        splits[k].counts.push_back(counts[k] + 1);
    }
    pos = end + 1;
  }
  return splits;
}

// The share of records that have the most common number of fields, and
// that number.
std::pair<double, std::size_t> Alike(const Split& split) {
  std::map<std::size_t, int> counts;
  for (const std::size_t fields : split.counts)
    ++counts[fields];
  std::size_t common = 0;
  int most = 0;
  for (const auto& [fields, records] : counts)
    if (records > most) {
      most = records;
      common = fields;
    }
  if (split.counts.empty())
    return {0.0, 0};
  return {static_cast<double>(most) / static_cast<double>(split.counts.size()), common};
}

// A number, a date or a time: digits with signs and separators only.
bool ValueLike(const std::string& text) {
  bool digit = false;
  for (const char c : text) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (std::string_view(" .,:/-+").find(c) == std::string_view::npos)
      return false;
  }
  return digit;
}

// A first record of texts over a column of values names the columns; a
// value in it says it is data. Anything else cannot tell.
std::optional<bool> HeaderOf(const Split& split) {
  if (split.records.size() < 2)
    return std::nullopt;
  const auto& first = split.records.front();
  for (const std::string& field : first)
    if (ValueLike(field))
      return false;
  for (const std::string& field : first)
    if (field.empty())
      return std::nullopt;
  for (std::size_t column = 0; column < first.size(); ++column) {
    bool values = true;
    for (std::size_t r = 1; r < split.records.size() && values; ++r) {
      const auto& record = split.records[r];
      values = column < record.size() && ValueLike(record[column]);
    }
    if (values)
      return true;
  }
  return std::nullopt;
}

std::optional<TextEncoding> EncodingOf(std::string_view start, bool whole) {
  if (platform::StartsWithUtf8Bom(start))
    return TextEncoding::kUtf8;
  const platform::Utf8Scan scan = platform::ScanUtf8(start);
  if (!scan.valid || (whole && scan.cut_short != 0))
    return TextEncoding::kCp1251;
  if (scan.non_ascii)
    return TextEncoding::kUtf8;
  return std::nullopt;
}

} // namespace

DetectedOptions DetectOptions(std::string_view start, bool whole) {
  DetectedOptions found;
  found.encoding = EncodingOf(start, whole);
  if (platform::StartsWithUtf8Bom(start))
    start.remove_prefix(platform::kUtf8Bom.size());
  // Plain lines end the data at a byte 26; it is rare enough anywhere else
  // not to matter for a guess.
  if (const std::size_t mark = start.find('\x1A'); mark != std::string_view::npos) {
    start = start.substr(0, mark);
    whole = true;
  }
  const bool has_quote = start.find('"') != std::string_view::npos;
  double best_alike = 0.0;
  const auto plain = PlainSplits(start, whole);
  for (std::size_t k = 0; k < kDetectableDelimiters.size(); ++k) {
    const char delimiter = kDetectableDelimiters[k];
    // Quotes only join fields: a delimiter that splits no line splits none
    // with them either.
    const bool splits_some = std::any_of(plain[k].counts.begin(), plain[k].counts.end(),
                                         [](std::size_t fields) { return fields >= 2; });
    if (!splits_some)
      continue;
    for (const bool quotes : {true, false}) {
      if (quotes && !has_quote)
        continue;
      const Split quoted = quotes ? Cut(start, whole, delimiter, true, false) : Split();
      if (quotes && (quoted.malformed || quoted.quoted_fields == 0))
        continue;
      const auto [alike, fields] = Alike(quotes ? quoted : plain[k]);
      // Strictly better only: the earlier delimiter, and quotes, win a tie.
      if (fields >= 2 && alike >= kAlike && alike > best_alike) {
        best_alike = alike;
        found.delimiter = delimiter;
        found.quotes = quotes;
      }
    }
  }
  if (found.delimiter)
    found.header = HeaderOf(Cut(start, whole, *found.delimiter, *found.quotes, true));
  return found;
}

bool SplitsAlike(std::string_view start, bool whole, char delimiter) {
  for (const bool quotes : {false, true}) {
    const auto [alike, fields] = Alike(Cut(start, whole, delimiter, quotes, false));
    if (fields >= 2 && alike >= kAlike)
      return true;
  }
  return false;
}

FileStart ReadFileStart(const std::string& path, std::size_t limit) {
  platform::ReadOnlyFile file(path);
  FileStart start;
  start.bytes.resize(limit);
  std::size_t size = 0;
  while (size < limit) {
    const std::size_t got = file.Read(start.bytes.data() + size, limit - size);
    if (got == 0)
      break;
    size += got;
  }
  start.bytes.resize(size);
  char more;
  start.whole = size < limit || file.Read(&more, 1) == 0;
  return start;
}

DetectedOptions DetectFileOptions(const std::string& path) {
  const FileStart start = ReadFileStart(path);
  return DetectOptions(start.bytes, start.whole);
}

DetectedForFiles CombineDetected(const std::vector<DetectedOptions>& found) {
  DetectedForFiles all;
  all.files = static_cast<int>(found.size());
  std::array<int, 256> votes{};
  bool utf8 = false;
  bool cp1251 = false;
  int headers = 0;
  int no_headers = 0;
  for (const DetectedOptions& one : found) {
    if (one.delimiter)
      ++votes[static_cast<unsigned char>(*one.delimiter)];
    if (one.encoding)
      (*one.encoding == TextEncoding::kUtf8 ? utf8 : cp1251) = true;
    if (one.quotes)
      all.quotes = all.quotes.value_or(false) || *one.quotes;
    if (one.header)
      ++(*one.header ? headers : no_headers);
  }
  for (const char delimiter : kDetectableDelimiters) {
    const int count = votes[static_cast<unsigned char>(delimiter)];
    if (count > all.delimiter_files) {
      all.delimiter_files = count;
      all.delimiter = delimiter;
    }
  }
  if (utf8 || cp1251)
    all.encoding = utf8 && cp1251 ? SourceEncoding::kDetect
                   : utf8         ? SourceEncoding::kUtf8
                                  : SourceEncoding::kCp1251;
  if (headers != no_headers)
    all.header = headers > no_headers;
  return all;
}

std::optional<char> DelimiterOfFile(const std::string& path, std::optional<char> fallback) {
  try {
    if (const auto found = DetectFileOptions(path).delimiter)
      return found;
  } catch (const platform::NotRegularFile&) {
  }
  return fallback;
}

} // namespace merge
