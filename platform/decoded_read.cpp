#include "platform/file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

// What Read holds while a file is decoded: UTF-8 decoded ahead of what was
// asked, so that a read of a few bytes still gives at least one.
struct ReadOnlyFile::Decoding {
  explicit Decoding(ByteEncoding encoding) : decoder(encoding) {}
  ToUtf8Decoder decoder;
  std::vector<char> raw = std::vector<char>(kRawBlock);
  std::string out;
  std::size_t given = 0; // bytes of `out` handed out already
  bool ended = false;
  static constexpr std::size_t kRawBlock = std::size_t{1} << 20;
};

void ReadOnlyFile::DropDecoding::operator()(Decoding* decoding) const {
  delete decoding;
}

void ReadOnlyFile::DecodeFrom(ByteEncoding encoding) {
  if (encoding == ByteEncoding::kAsIs)
    decoding_.reset();
  else
    decoding_.reset(new Decoding(encoding));
}

bool ReadOnlyFile::HoldsDecoded() const {
  return decoding_ && decoding_->given < decoding_->out.size();
}

std::int64_t ReadOnlyFile::DecodingReplaced() const {
  return decoding_ ? decoding_->decoder.Replaced() : 0;
}

std::size_t ReadOnlyFile::Read(void* buffer, std::size_t size) {
  if (!decoding_)
    return ReadRaw(buffer, size);
  Decoding& d = *decoding_;
  while (d.given == d.out.size() && !d.ended && size > 0) {
    d.out.clear();
    d.given = 0;
    const std::size_t n = ReadRaw(d.raw.data(), d.raw.size());
    d.ended = n == 0;
    d.decoder.Decode(std::string_view(d.raw.data(), n), d.ended, d.out);
  }
  const std::size_t n = std::min(size, d.out.size() - d.given);
  std::memcpy(buffer, d.out.data() + d.given, n);
  d.given += n;
  return n;
}

} // namespace platform
