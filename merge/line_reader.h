#pragma once
// Cuts the bytes of one source file into lines: LF or CR LF ends a line,
// every CR is removed from the line's text, and a byte 26 (Ctrl+Z) ends the
// data for good. The file is read in large blocks; a line is handed out as a
// view into the block, so the common line costs no allocation. Lines have no
// length limit: the block grows to hold the longest one, and progress is told
// (and cancel asked) while a long line is still being read.

#include "merge/read_progress.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace merge {

// The block a LineReader reads into, lent by a collect to the reader of each
// of its files in turn, so that reading many files allocates it once. It
// keeps the size its longest line needed.
class LineBuffer {
public:
  explicit LineBuffer(std::size_t capacity); // throws std::bad_alloc
  ~LineBuffer();
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;

  char* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }
  // Doubles the capacity, keeping the bytes held. Throws std::bad_alloc.
  void Grow();

private:
  // malloc'ed so that a huge buffer grows by remapping, not by copying.
  char* data_;
  std::size_t capacity_;
};

class LineReader {
public:
  // Opens the file for reading, sharing it with readers only; throws
  // platform::FileError (32 when another process holds it for writing) and
  // platform::NotRegularFile (also, with kNotAvailable, for a path that
  // names nothing). `progress`, when given, hears of every read.
  explicit LineReader(const std::string& path, std::size_t block_size = kDefaultBlockSize,
                      ReadProgress* progress = nullptr);
  // The same, reading into a buffer lent for the reader's lifetime.
  LineReader(const std::string& path, LineBuffer& buffer, ReadProgress* progress,
             platform::ReadOnlyFile::Missing missing);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The next line, without its terminator and without any CR. The view stays
  // valid until the next call. A read failure throws platform::FileError.
  std::string_view NextLine();
  // True at the end of the file or at a byte 26.
  bool AtDataEnd();
  // Whether the data ended at a byte 26 that was not the file's last byte.
  bool CutAtEndMark() const { return cut_at_end_mark_; }

  // Bytes taken from the file so far.
  std::int64_t BytesRead() const { return bytes_read_; }
  // Reads the file as UTF-8 turned from `encoding` (before the first line).
  void DecodeFrom(platform::ByteEncoding encoding) { file_.DecodeFrom(encoding); }
  long long SizeHint() const { return file_.SizeHint(); }

  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // The most one read asks for, so that progress and cancel are heard
  // every few MiB even while the buffer holds a gigabyte line.
  static constexpr std::size_t kMaxReadSize = std::size_t{4} << 20;

private:
  // Reads more bytes after the unread rest, which moves to the buffer's
  // start; grows the buffer when the rest already fills it. False when no
  // more data can come.
  bool Fill();

  platform::ReadOnlyFile file_;
  ReadProgress* progress_;
  std::unique_ptr<LineBuffer> owned_; // when no buffer was lent
  LineBuffer& buffer_;
  std::size_t pos_ = 0;     // first unread byte
  std::size_t end_ = 0;     // end of the data held
  bool data_ended_ = false; // end of file or byte 26 seen: nothing more to read
  bool cut_at_end_mark_ = false;
  std::int64_t bytes_read_ = 0;
  std::string scratch_; // a line with a CR inside, its CRs removed
};

} // namespace merge
