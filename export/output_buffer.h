#pragma once
// The output side of saving: large aligned buffers, each filled and then
// written out in whole blocks on the writer thread while the next one fills.
// Tells the progress how far it got and asks it whether to go on.

#include "export/cell_encoder.h"
#include "export/output_place.h"
#include "export/write_behind.h"
#include "platform/progress.h"
#include "platform/replacing_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace exporter {

using platform::ReplaceFailure;
using platform::ReplacingFile;

class OutputBuffer {
public:
  static constexpr std::size_t kBufferSize = WriteBehind::kBufferSize;

  // Hands whole blocks to the file; throws ReplaceFailure or platform errors.
  using BlockWriter = WriteBehind::BlockWriter;

  OutputBuffer(BlockWriter write, platform::Progress* progress)
      : writer_(std::move(write), ReplacingFile::kDirectAlignment), progress_(progress),
        filling_(writer_.Acquire()), pos_(filling_), end_(pos_ + kBufferSize) {}

  // How far the lines have come in the caller's own parts (saving: rows),
  // told to the progress with every block handed over.
  void SetPartsDone(std::int64_t done, std::int64_t total) {
    parts_done_ = done;
    parts_total_ = total;
  }

  std::size_t Room() const { return static_cast<std::size_t>(end_ - pos_); }
  char*& Pos() { return pos_; }

  void Put(char ch) {
    if (pos_ == end_)
      Flush();
    *pos_++ = ch;
  }

  void PutLineEnd() {
    if (Room() < 2)
      Flush();
    *pos_++ = '\r';
    *pos_++ = '\n';
  }

  void PutRepeated(char ch, std::size_t count) {
    while (count > 0) {
      if (pos_ == end_)
        Flush();
      const std::size_t n = std::min(count, Room());
      std::memset(pos_, ch, n);
      pos_ += n;
      count -= n;
    }
  }

  void PutCell(std::string_view text, const CellEncoder& encoder) {
    while (!text.empty()) {
      const std::size_t room = Room() / CellEncoder::kMaxBytesPerByte;
      if (room == 0) {
        Flush();
        continue;
      }
      const std::string_view part = text.substr(0, room);
      pos_ = encoder.Encode(part, pos_);
      text.remove_prefix(part.size());
    }
  }

  // Hands the buffer's whole blocks to the writer and goes on filling the
  // next buffer after the rest.
  void Flush() { HandOver(false); }

  // Writes what is left and waits until all of it is in the file.
  void Finish() {
    HandOver(true);
    writer_.Drain();
  }

private:
  // The writer gets whole blocks (so that they can go past the page cache);
  // the bytes of a last, partial block move to the front of the next buffer,
  // except at the end, where everything goes.
  void HandOver(bool last) {
    const auto size = static_cast<std::size_t>(pos_ - filling_);
    const std::size_t whole = last ? size : size - size % ReplacingFile::kDirectAlignment;
    const std::size_t carried = size - whole;
    char* const filled = filling_;
    if (last) {
      filling_ = pos_ = end_ = nullptr;
    } else {
      filling_ = writer_.Acquire();
      std::memcpy(filling_, filled + whole, carried);
      pos_ = filling_ + carried;
      end_ = filling_ + kBufferSize;
    }
    writer_.Submit(filled, whole);
    handed_ += static_cast<std::int64_t>(whole);
    if (progress_ != nullptr) {
      progress_->BytesDone(handed_);
      if (parts_total_ >= 0)
        progress_->PartsDone(last ? parts_total_ : parts_done_, parts_total_);
      if (progress_->CancelRequested())
        throw platform::Cancelled();
    }
  }

  WriteBehind writer_;
  platform::Progress* progress_;
  char* filling_; // one of the writer's buffers
  char* pos_;
  char* end_;
  std::int64_t handed_ = 0;
  std::int64_t parts_done_ = 0;
  std::int64_t parts_total_ = -1;
};

// Runs `write_lines` over a buffer bound to `place` and completes the output:
// the file replaces its earlier content only when everything was written.
// Throws platform::FileError as SaveTable describes; for standard output a
// failed write maps its errno.
void WriteOutput(const OutputPlace& place, platform::Progress* progress,
                 const std::function<void(OutputBuffer&)>& write_lines);

} // namespace exporter
