#pragma once
// Cuts the bytes of one source file into records of fields as RFC 4180
// readers do: a field that begins with '"' runs to the next '"' that is not
// doubled, and the delimiter, CR, LF and byte 26 inside it belong to the
// field, so one record may span lines. Outside quotes LF, CR LF and a CR
// alone end a record, and a byte 26 ends the data only as the file's last
// byte (elsewhere it is text). A '"' that does not begin a field is an
// ordinary byte, and a quote still open at the end of the file runs to the
// end of the file.
//
// This is a reader of its own, not a branch in LineReader: the plain path
// stays as fast as it was.

#include "merge/read_progress.h"
#include "merge/record_byte_masks.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace merge {

class QuotedRecordReader {
public:
  // Opens the file for reading, sharing it with readers only; throws
  // platform::FileError (32 when another process holds it for writing) and
  // platform::NotRegularFile. `progress`, when given, hears of every read,
  // also inside a long record. A non-empty `long_delimiter` (a UTF-8
  // character of several bytes, in a UTF-8 file) splits in place of
  // `delimiter`. With `drop_utf8_bom` a UTF-8 byte-order mark at the file's
  // start is no part of the first field.
  QuotedRecordReader(const std::string& path, std::optional<char> delimiter,
                     std::size_t block_size = kDefaultBlockSize, ReadProgress* progress = nullptr,
                     std::string_view long_delimiter = {}, bool drop_utf8_bom = false);
  // The same, reading a file opened already, lent for the reader's lifetime.
  QuotedRecordReader(platform::ReadOnlyFile& file, std::optional<char> delimiter,
                     std::size_t block_size = kDefaultBlockSize, ReadProgress* progress = nullptr,
                     std::string_view long_delimiter = {}, bool drop_utf8_bom = false);
  QuotedRecordReader(const QuotedRecordReader&) = delete;
  QuotedRecordReader& operator=(const QuotedRecordReader&) = delete;

  // Fills `fields` (cleared first) with the next record's fields, without
  // their quotes, a doubled quote as one. A record without bytes gives no
  // field; a delimiter at the record's end closes a last, empty field. The
  // views stay valid until the next call. A read failure throws
  // platform::FileError.
  void NextRecord(std::vector<std::string_view>& fields);
  // True at the end of the file or at its last byte when that is a 26.
  bool AtDataEnd();
  // Never: a byte 26 ends the data here only as the file's last byte.
  bool CutAtEndMark() const { return false; }
  // True once a record ran to the end of the file inside an open quote.
  bool QuoteLeftOpen() const { return quote_left_open_; }

  std::int64_t BytesRead() const { return bytes_read_; }
  long long SizeHint() const { return file_.SizeHint(); }

  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // The most one read asks for, so that progress and cancel are heard every
  // few MiB even while the buffer holds a gigabyte record.
  static constexpr std::size_t kMaxReadSize = std::size_t{4} << 20;

private:
  QuotedRecordReader(std::unique_ptr<platform::ReadOnlyFile> owned, platform::ReadOnlyFile* lent,
                     std::optional<char> delimiter, std::size_t block_size, ReadProgress* progress,
                     std::string_view long_delimiter, bool drop_utf8_bom);
  // Reads more bytes after the current record's rest, which moves to the
  // buffer's start (the buffer grows when the record fills it); *shift says
  // how far it moved. False when no more data can come.
  bool Fill(std::size_t* shift);
  // Before the first record: steps over a byte-order mark.
  void DropUtf8Bom();
  // After a record that a CR ended: an LF right after it belongs to it.
  void StepOverLfAfterCr();

  std::unique_ptr<platform::ReadOnlyFile> owned_file_; // when no file was lent
  platform::ReadOnlyFile& file_;
  ReadProgress* progress_;
  char delimiter_;             // LF when there is none: LF is tested first anyway
  bool has_delimiter_;         // false: a record is one field
  int split_byte_ = -1;        // delimiter_ as unsigned char; -1 when it never splits
  bool quotes_ = true;         // false when '"' is the delimiter
  std::string long_delimiter_; // empty, or the bytes of a delimiter starting with delimiter_
  bool bom_pending_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_; // the buffer holds capacity_ + kPadding bytes
  std::size_t pos_ = 0;  // the current record's first byte
  std::size_t end_ = 0;  // end of the data held
  bool data_ended_ = false;
  bool quote_left_open_ = false;
  bool after_cr_ = false; // the last record ended at a CR
  std::int64_t bytes_read_ = 0;
  RecordByteMasks marker_{'\n'};
  // Where the walk over the marked bytes stands between records; emptied
  // whenever the buffer's data moves or grows.
  MarkedWindow window_;
  // The fields of the record being read as (offset in the buffer, size)
  // while the buffer is refilled under them.
  std::vector<std::pair<std::size_t, std::size_t>> spans_;

  // Marking reads 64 bytes, so it may look this far past the data.
  static constexpr std::size_t kPadding = 64;
};

} // namespace merge
