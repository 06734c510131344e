#include "export/utf8_table_cells.h"

#include "export/save_table.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace exporter {

Utf8TableCells::Utf8TableCells(char delimiter, bool escape, bool utf8_output, SaveReport* report,
                               bool repair)
    : delimiter_(delimiter), utf8_output_(utf8_output), report_(report),
      repair_(repair && utf8_output) {
  const auto byte = static_cast<unsigned char>(delimiter);
  if (utf8_output && escape && byte >= 0x80) {
    delimiter_character_ = platform::Cp1251ToUtf8(std::string_view(&delimiter, 1));
    escaped_delimiter_ = "#" + std::to_string(byte);
  }
}

char Utf8TableCells::EncoderDelimiter() const {
  // The non-ASCII delimiter is escaped here, by its character; its byte
  // inside UTF-8 text is part of another character. A control byte, which
  // the encoder escapes anyway, leaves it nothing more to do.
  return delimiter_character_.empty() ? delimiter_ : '\x01';
}

std::string_view Utf8TableCells::Prepare(std::string_view cell, std::int32_t col,
                                         std::int32_t row) {
  if (!utf8_output_) {
    scratch_.resize(cell.size());
    std::int64_t replaced = 0;
    char* const end = platform::Utf8ToCp1251(cell, scratch_.data(), replaced);
    if (replaced > 0 && report_ != nullptr) {
      if (report_->replaced_characters == 0) {
        report_->first_replaced_row = row;
        report_->first_replaced_col = col;
      }
      report_->replaced_characters += replaced;
    }
    return std::string_view(scratch_.data(), static_cast<std::size_t>(end - scratch_.data()));
  }
  if (repair_ && !platform::IsValidUtf8(cell)) {
    repaired_.clear();
    const std::int64_t repaired = platform::AppendRepairedUtf8(cell, repaired_);
    if (report_ != nullptr)
      report_->repaired_sequences += repaired;
    cell = repaired_;
  }
  if (delimiter_character_.empty() || cell.find(delimiter_character_) == std::string_view::npos)
    return cell;
  scratch_.clear();
  std::size_t from = 0;
  for (std::size_t hit = cell.find(delimiter_character_); hit != std::string_view::npos;
       hit = cell.find(delimiter_character_, from)) {
    scratch_.append(cell.substr(from, hit - from));
    scratch_ += escaped_delimiter_;
    from = hit + delimiter_character_.size();
  }
  scratch_.append(cell.substr(from));
  return scratch_;
}

} // namespace exporter
