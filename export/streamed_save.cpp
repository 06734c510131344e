#include "export/streamed_save.h"

#include "export/cell_encoder.h"
#include "export/output_buffer.h"
#include "merge/extents.h"
#include "merge/file_name_tag.h"
#include "merge/read_progress.h"
#include "merge/read_source_file.h"
#include "platform/errors.h"

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

// The first pass: the stacked placement's row and column growth, the same
// arithmetic the table uses, without storing a cell.
MergePlan PlanMerge(const std::vector<std::string>& sources, const merge::CollectOptions& options,
                    merge::ReadProgress& progress, SourceNamer& namer) {
  MergePlan plan;
  const auto delimiter = merge::ReadingDelimiter(options.delimiter_text);
  std::int32_t start_row = 0;
  for (const std::string& path : sources) {
    SourcePlan source;
    namer.Set(path);
    source.available = merge::IsSourceFileAvailable(path);
    if (source.available) {
      source.start_row = start_row;
      std::int32_t row = start_row - 1;
      const std::int64_t before = progress.total();
      merge::ReadSourceFile(
          path, options.skip_count, delimiter,
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
          &progress);
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
  LineWriter(OutputBuffer& out, const CellEncoder& encoder, char delimiter,
             std::optional<char> reading_delimiter, std::int32_t col_count)
      : out_(out), encoder_(encoder), delimiter_(delimiter), col_count_(col_count),
        // Plain cells read with the same delimiter lie in the line exactly as
        // they are written: the line's run from the first to the last field.
        copy_runs_(encoder.IsPlain() && reading_delimiter == delimiter) {}

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
  const MergePlan plan = PlanMerge(sources, options, reading, namer);

  const CellEncoder encoder(save.delimiter, save.escape, save.utf8);
  const auto reading_delimiter = merge::ReadingDelimiter(options.delimiter_text);
  WriteOutput(place, nullptr, [&](OutputBuffer& out) {
    LineWriter writer(out, encoder, save.delimiter, reading_delimiter, plan.col_count);
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
        if (options.add_file_name)
          writer.SetNameCell(merge::FileNameTag(path, options.name_only), options.file_name_first);
        else
          writer.SetNameCell(std::nullopt);
        std::int64_t rows = 0;
        const std::int64_t before = reading.total();
        merge::ReadSourceFile(
            path, options.skip_count, reading_delimiter,
            [&](const std::vector<std::string_view>& fields) {
              if (++rows > source.rows || !writer.Line(fields))
                ThrowChanged();
            },
            &reading);
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
