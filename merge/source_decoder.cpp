#include "merge/source_decoder.h"

#include "platform/file.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

namespace merge {

namespace {

constexpr char kDataEnd = 26;
constexpr std::size_t kProbeBlock = std::size_t{256} << 10; // stays in the cache while checked

} // namespace

TextEncoding SourceFileEncoding(const std::string& path, SourceEncoding option,
                                TextEncoding table) {
  if (option == SourceEncoding::kCp1251)
    return TextEncoding::kCp1251;
  if (option != SourceEncoding::kDetect)
    return TextEncoding::kUtf8; // UTF-8, or bytes turned into it

  // What is no regular file is skipped by the reading itself.
  std::optional<platform::ReadOnlyFile> opened;
  try {
    opened.emplace(path);
  } catch (const platform::NotRegularFile&) {
    return table;
  }
  platform::ReadOnlyFile& file = *opened;
  const std::unique_ptr<char[]> buffer(new char[kProbeBlock]);
  std::size_t carried = 0; // the start of a sequence the last block cut short
  bool first = true;
  bool non_ascii = false;
  for (;;) {
    const std::size_t n = file.Read(buffer.get() + carried, kProbeBlock - carried);
    std::size_t size = carried + n;
    // A byte 26 ends the data: what follows it is never read as a line.
    const void* stop = std::memchr(buffer.get() + carried, kDataEnd, n);
    if (stop != nullptr)
      size = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer.get());
    const std::string_view bytes(buffer.get(), size);
    if (first && (platform::StartsWithUtf8Bom(bytes) ||
                  platform::Utf16MarkOf(bytes) != platform::ByteEncoding::kAsIs))
      return TextEncoding::kUtf8;
    first = false;
    const platform::Utf8Scan scan = platform::ScanUtf8(bytes);
    if (!scan.valid)
      return TextEncoding::kCp1251;
    non_ascii = non_ascii || scan.non_ascii;
    if (n == 0 || stop != nullptr) {
      // The data ends: a sequence still open is no UTF-8.
      if (scan.cut_short > 0)
        return TextEncoding::kCp1251;
      return non_ascii ? TextEncoding::kUtf8 : table;
    }
    carried = scan.cut_short;
    std::memmove(buffer.get(), buffer.get() + size - carried, carried);
  }
}

platform::ByteEncoding SourceFileBytes(const std::string& path, SourceEncoding option) {
  switch (option) {
  case SourceEncoding::kCp1251:
  case SourceEncoding::kUtf8:
    return platform::ByteEncoding::kAsIs;
  case SourceEncoding::kCp866:
    return platform::ByteEncoding::kCp866;
  case SourceEncoding::kKoi8r:
    return platform::ByteEncoding::kKoi8r;
  case SourceEncoding::kDetect:
  case SourceEncoding::kUtf16Le:
  case SourceEncoding::kUtf16Be:
    break;
  }
  std::optional<platform::ReadOnlyFile> opened;
  try {
    opened.emplace(path);
  } catch (const platform::NotRegularFile&) {
    return platform::ByteEncoding::kAsIs;
  }
  char mark[2];
  std::size_t got = 0;
  while (got < sizeof mark) {
    const std::size_t n = opened->Read(mark + got, sizeof mark - got);
    if (n == 0)
      break;
    got += n;
  }
  const platform::ByteEncoding marked = platform::Utf16MarkOf(std::string_view(mark, got));
  if (marked != platform::ByteEncoding::kAsIs || option == SourceEncoding::kDetect)
    return marked;
  return option == SourceEncoding::kUtf16Le ? platform::ByteEncoding::kUtf16Le
                                            : platform::ByteEncoding::kUtf16Be;
}

std::string LongDelimiter(std::optional<char> delimiter, TextEncoding encoding) {
  if (!delimiter || encoding != TextEncoding::kUtf8 ||
      static_cast<unsigned char>(*delimiter) < 0x80)
    return {};
  char bytes[platform::MaxCp1251AsUtf8(1)];
  return std::string(bytes, platform::Cp1251ToUtf8(std::string_view(&*delimiter, 1), bytes));
}

std::string_view LineDecoder::Decode(std::string_view line, bool first_line) {
  if (file_ == TextEncoding::kUtf8) {
    if (first_line && platform::StartsWithUtf8Bom(line))
      line.remove_prefix(platform::kUtf8Bom.size());
    // A line ends at LF, which no UTF-8 sequence holds, so each line is
    // checked on its own.
    if (!invalid_ && !platform::IsValidUtf8(line))
      invalid_ = true;
    if (table_ == TextEncoding::kUtf8)
      return line;
    char* const out = Room(line.size());
    return std::string_view(
        out, static_cast<std::size_t>(platform::Utf8ToCp1251(line, out, replaced_) - out));
  }
  if (table_ == TextEncoding::kCp1251)
    return line;
  char* const out = Room(platform::MaxCp1251AsUtf8(line.size()));
  return std::string_view(out, static_cast<std::size_t>(platform::Cp1251ToUtf8(line, out) - out));
}

void LineDecoder::DecodeFields(std::vector<std::string_view>& fields) {
  std::size_t room = 0;
  if (file_ == TextEncoding::kUtf8) {
    // Fields end at ASCII bytes (a delimiter, a quote), so each is checked on
    // its own as a line is.
    for (const std::string_view field : fields) {
      if (!invalid_ && !platform::IsValidUtf8(field))
        invalid_ = true;
      room += field.size();
    }
    if (table_ == TextEncoding::kUtf8)
      return;
    char* out = Room(room + 1); // never null, even for empty fields
    for (std::string_view& field : fields) {
      char* const end = platform::Utf8ToCp1251(field, out, replaced_);
      field = std::string_view(out, static_cast<std::size_t>(end - out));
      out = end;
    }
    return;
  }
  if (table_ == TextEncoding::kCp1251)
    return;
  for (const std::string_view field : fields)
    room += platform::MaxCp1251AsUtf8(field.size());
  char* out = Room(room + 1);
  for (std::string_view& field : fields) {
    char* const end = platform::Cp1251ToUtf8(field, out);
    field = std::string_view(out, static_cast<std::size_t>(end - out));
    out = end;
  }
}

char* LineDecoder::Room(std::size_t size) {
  if (size > capacity_) {
    capacity_ = std::max(size, capacity_ * 2);
    scratch_.reset(new char[capacity_]);
  }
  return scratch_.get();
}

void LineDecoder::Report(const std::string& path, EncodingReport& report) const {
  if (invalid_) {
    if (report.invalid_utf8_files == 0)
      report.first_invalid_file = path;
    ++report.invalid_utf8_files;
  }
  if (replaced_ > 0) {
    if (report.replaced_characters == 0)
      report.first_replaced_file = path;
    report.replaced_characters += replaced_;
  }
}

} // namespace merge
