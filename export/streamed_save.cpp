#include "export/streamed_save.h"

#include "export/cell_encoder.h"
#include "export/output_buffer.h"
#include "export/utf8_table_cells.h"
#include "merge/extents.h"
#include "merge/file_name_tag.h"
#include "merge/read_progress.h"
#include "merge/read_source_file.h"
#include "merge/source_decoder.h"
#include "platform/errors.h"
#include "platform/utf8.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace exporter {

namespace {

// What the first pass learned of one source.
struct SourcePlan {
  bool available = false;
  std::int32_t start_row = 0;
  std::int64_t rows = 0;
  std::int64_t bytes = 0;
};

// The extents a fresh table (2 × 2) reaches, and where each source starts.
struct MergePlan {
  std::vector<SourcePlan> sources;
  std::int32_t col_count = 2;
  std::int32_t row_count = 2;
};

using merge::FieldCount;

// A source that reads differently in the second pass would give a file that
// matches neither reading.
[[noreturn]] void ThrowChanged() {
  throw platform::Error("Файл изменился во время сборки");
}

class SourceNamer {
public:
  explicit SourceNamer(std::string* current) : current_(current) {}
  void Set(const std::string& path) {
    if (current_ != nullptr)
      *current_ = path;
  }
  void Clear() {
    if (current_ != nullptr)
      current_->clear();
  }

private:
  std::string* current_;
};

// Reads an available source as the table's collect reads it: its bytes
// turned, each line brought into the table's encoding and split there.
// `report`, when given, hears what the file lost.
template <typename PlaceLine>
void ReadAsTheTable(const std::string& path, const merge::CollectOptions& options,
                    merge::TextEncoding table, PlaceLine&& place, merge::ReadProgress& progress,
                    merge::EncodingReport* report) {
  const auto delimiter = merge::ReadingDelimiter(options.delimiter_text);
  if (table == merge::TextEncoding::kCp1251) {
    merge::ReadSourceFile(path, options.skip_count, delimiter, place, &progress);
    return;
  }
  if (!merge::IsSourceFileAvailable(path))
    return;
  const merge::TextEncoding file = merge::SourceFileEncoding(path, options.source_encoding, table);
  std::optional<merge::LineDecoder> decoder;
  if (merge::LineDecoder::Needed(file, table))
    decoder.emplace(file, table);
  merge::ReadAvailableSourceFile(path, options.skip_count, delimiter, place, &progress,
                                 decoder ? &*decoder : nullptr,
                                 merge::LongDelimiter(delimiter, table),
                                 merge::SourceFileBytes(path, options.source_encoding));
  if (decoder && report != nullptr)
    decoder->Report(path, *report);
}

// The first pass: the stacked placement's row and column growth, the same
// arithmetic the table uses, without storing a cell.
MergePlan PlanMerge(const std::vector<std::string>& sources, const merge::CollectOptions& options,
                    merge::TextEncoding table, merge::ReadProgress& progress, SourceNamer& namer) {
  MergePlan plan;
  std::int32_t start_row = 0;
  for (const std::string& path : sources) {
    SourcePlan source;
    namer.Set(path);
    source.available = merge::IsSourceFileAvailable(path);
    if (source.available) {
      source.start_row = start_row;
      std::int32_t row = start_row - 1;
      const std::int64_t before = progress.total();
      ReadAsTheTable(
          path, options, table,
          [&](const std::vector<std::string_view>& fields) {
            merge::StepRow(row);
            plan.row_count = std::max(plan.row_count, row + 1);
            const std::int32_t n = FieldCount(fields.size());
            if (options.add_file_name && options.file_name_first) {
              // A name in front is one more field of the row.
              plan.col_count = merge::ColCountAfterFields(plan.col_count, 0, n + 1);
              return;
            }
            plan.col_count = merge::ColCountAfterFields(plan.col_count, 0, n);
            if (options.add_file_name)
              plan.col_count = merge::ColCountAfterNameCell(plan.col_count, n);
          },
          progress, options.encoding_report);
      source.rows = std::int64_t{row} - start_row + 1;
      source.bytes = progress.total() - before;
    }
    start_row = plan.row_count;
    plan.sources.push_back(source);
  }
  namer.Clear();
  return plan;
}

// The second pass: one source's lines, each padded to ColCount cells.
class LineWriter {
public:
  // `utf8_cells`, for a UTF-8 table, prepares each cell as the table's save
  // does (into Windows-1251, escaped, repaired).
  LineWriter(OutputBuffer& out, const CellEncoder& encoder, char delimiter,
             std::optional<char> reading_delimiter, std::int32_t col_count,
             Utf8TableCells* utf8_cells)
      : out_(out), encoder_(encoder), delimiter_(delimiter), col_count_(col_count),
        // Plain cells read with the same delimiter lie in the line exactly as
        // they are written: the line's run from the first to the last field.
        // (In a UTF-8 table only an ASCII delimiter is one byte in the line.)
        copy_runs_(encoder.IsPlain() && reading_delimiter == delimiter &&
                   (utf8_cells == nullptr || static_cast<unsigned char>(delimiter) < 0x80)),
        utf8_cells_(utf8_cells) {}

  // Whether the line's fields are all UTF-8, so that a UTF-8 file can take
  // them as they stand.
  static bool ValidFields(const std::vector<std::string_view>& fields) {
    for (const std::string_view field : fields)
      if (!platform::IsValidUtf8(field))
        return false;
    return true;
  }

  // A UTF-8 table's line, its cells prepared one by one as the table's
  // save prepares them (the name cell as one of them); `row` is the
  // table's. False when it does not fit the extents of the first pass.
  bool PreparedLine(const std::vector<std::string_view>& fields, const std::string* name,
                    bool name_first, std::int32_t row) {
    const std::int32_t n = FieldCount(fields.size());
    const std::int64_t cells = std::int64_t{n} + (name != nullptr ? 1 : 0);
    if (cells > col_count_)
      return false;
    std::int32_t col = 0;
    const auto put = [&](std::string_view cell) {
      out_.PutCell(utf8_cells_->Prepare(cell, col++, row), encoder_);
      out_.Put(delimiter_);
    };
    if (name != nullptr && name_first)
      put(*name);
    for (const std::string_view field : fields)
      put(field);
    if (name != nullptr && !name_first)
      put(*name);
    out_.PutRepeated(delimiter_, static_cast<std::size_t>(col_count_ - cells));
    out_.PutLineEnd();
    return true;
  }

  // The encoded name cell closing (or, `first`, opening) every line; none
  // when not added.
  void SetNameCell(std::optional<std::string> text, bool first = false) {
    name_first_ = first;
    name_cell_.clear();
    has_name_cell_ = text.has_value();
    if (has_name_cell_) {
      name_cell_.resize(encoder_.MaxEncodedSize(text->size()));
      name_cell_.resize(
          static_cast<std::size_t>(encoder_.Encode(*text, name_cell_.data()) - name_cell_.data()));
    }
  }

  void EmptyLines(std::int64_t count) {
    for (; count > 0; --count) {
      out_.PutRepeated(delimiter_, static_cast<std::size_t>(col_count_));
      out_.PutLineEnd();
    }
  }

  // False when the line does not fit the extents of the first pass.
  bool Line(const std::vector<std::string_view>& fields) {
    const std::int32_t n = FieldCount(fields.size());
    const std::int64_t cells = std::int64_t{n} + (has_name_cell_ ? 1 : 0);
    if (cells > col_count_)
      return false;
    const auto padding = static_cast<std::size_t>(col_count_ - cells);
    std::size_t text_size = 0;
    if (n > 0)
      text_size = static_cast<std::size_t>(fields.back().data() + fields.back().size() -
                                           fields.front().data());
    const std::size_t most = encoder_.MaxEncodedSize(text_size) + static_cast<std::size_t>(n) +
                             name_cell_.size() + 1 + padding + 2;
    if (most <= out_.Room())
      LineInPlace(fields, padding);
    else
      LineInPieces(fields, padding);
    return true;
  }

private:
  void LineInPlace(const std::vector<std::string_view>& fields, std::size_t padding) {
    char* pos = out_.Pos();
    if (has_name_cell_ && name_first_) {
      std::memcpy(pos, name_cell_.data(), name_cell_.size());
      pos += name_cell_.size();
      *pos++ = delimiter_;
    }
    if (!fields.empty()) {
      if (copy_runs_) {
        const char* begin = fields.front().data();
        const auto size =
            static_cast<std::size_t>(fields.back().data() + fields.back().size() - begin);
        std::memcpy(pos, begin, size);
        pos += size;
        *pos++ = delimiter_;
      } else {
        for (const std::string_view field : fields) {
          pos = encoder_.Encode(field, pos);
          *pos++ = delimiter_;
        }
      }
    }
    if (has_name_cell_ && !name_first_) {
      std::memcpy(pos, name_cell_.data(), name_cell_.size());
      pos += name_cell_.size();
      *pos++ = delimiter_;
    }
    std::memset(pos, delimiter_, padding);
    pos += padding;
    *pos++ = '\r';
    *pos++ = '\n';
    out_.Pos() = pos;
  }

  void LineInPieces(const std::vector<std::string_view>& fields, std::size_t padding) {
    if (has_name_cell_ && name_first_)
      PutNameCell();
    for (const std::string_view field : fields) {
      out_.PutCell(field, encoder_);
      out_.Put(delimiter_);
    }
    if (has_name_cell_ && !name_first_)
      PutNameCell();
    out_.PutRepeated(delimiter_, padding);
    out_.PutLineEnd();
  }

  void PutNameCell() {
    for (const char ch : name_cell_)
      out_.Put(ch);
    out_.Put(delimiter_);
  }

  OutputBuffer& out_;
  const CellEncoder& encoder_;
  char delimiter_;
  std::int32_t col_count_;
  bool copy_runs_;
  Utf8TableCells* utf8_cells_;
  bool has_name_cell_ = false;
  bool name_first_ = false;
  std::string name_cell_;
};

} // namespace

void SaveStackedStreamed(const std::vector<std::string>& sources,
                         const merge::CollectOptions& options, const OutputPlace& place,
                         const SaveOptions& save, platform::Progress* progress,
                         std::string* current_source) {
  SourceNamer namer(current_source);
  merge::ReadProgress reading(progress);
  // The encoding a fresh table takes under these options.
  const merge::TextEncoding table = merge::TableEncodingFor(options.source_encoding);
  const MergePlan plan = PlanMerge(sources, options, table, reading, namer);

  // A UTF-8 table's cells are prepared as its save prepares them; what a
  // file read as UTF-8 held that was not is repaired whenever it is there.
  std::optional<Utf8TableCells> utf8_cells;
  if (table == merge::TextEncoding::kUtf8)
    utf8_cells.emplace(save.delimiter, save.escape, save.utf8, save.report, true);
  const CellEncoder encoder(utf8_cells ? utf8_cells->EncoderDelimiter() : save.delimiter,
                            save.escape, save.utf8 && !utf8_cells);
  // Into a UTF-8 file with no delimiter character to escape, preparing a
  // valid cell changes nothing: such lines go the plain way.
  const bool valid_as_is =
      utf8_cells && save.utf8 && utf8_cells->EncoderDelimiter() == save.delimiter;
  const auto reading_delimiter = merge::ReadingDelimiter(options.delimiter_text);
  merge::CollectOptions second_pass = options;
  second_pass.encoding_report = nullptr; // told once, by the first pass
  WriteOutput(place, nullptr, [&](OutputBuffer& out) {
    if (save.utf8 && save.bom) {
      for (const char ch : platform::kUtf8Bom)
        out.Put(ch);
    }
    LineWriter writer(out, encoder, save.delimiter, reading_delimiter, plan.col_count,
                      utf8_cells ? &*utf8_cells : nullptr);
    std::int64_t written = 0;
    try {
      for (std::size_t i = 0; i < sources.size(); ++i) {
        const SourcePlan& source = plan.sources[i];
        const std::string& path = sources[i];
        namer.Set(path);
        if (merge::IsSourceFileAvailable(path) != source.available)
          ThrowChanged();
        if (!source.available)
          continue;
        writer.EmptyLines(source.start_row - written);
        written = source.start_row;
        std::optional<std::string> name;
        if (options.add_file_name)
          name = merge::FileNameTag(path, options.name_only, table);
        writer.SetNameCell(name, options.file_name_first);
        const bool name_as_is = valid_as_is && (!name || platform::IsValidUtf8(*name));
        std::int64_t rows = 0;
        const std::int64_t before = reading.total();
        ReadAsTheTable(
            path, second_pass, table,
            [&](const std::vector<std::string_view>& fields) {
              const bool prepared = utf8_cells && !(name_as_is && LineWriter::ValidFields(fields));
              const bool fits = prepared
                                    ? writer.PreparedLine(fields, name ? &*name : nullptr,
                                                          options.file_name_first,
                                                          static_cast<std::int32_t>(written + rows))
                                    : writer.Line(fields);
              if (++rows > source.rows || !fits)
                ThrowChanged();
            },
            reading, nullptr);
        if (rows != source.rows || reading.total() - before != source.bytes)
          ThrowChanged();
        written += rows;
      }
      namer.Clear();
      writer.EmptyLines(plan.row_count - written);
    } catch (const ReplaceFailure&) {
      namer.Clear(); // the output failed, not the source being read
      throw;
    }
  });
}

} // namespace exporter
