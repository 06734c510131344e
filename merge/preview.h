#pragma once
// The preview of one source file: its first rows as collecting that file
// alone would place them, read from the start of the file only, so that a
// file of any size shows at once.

#include "merge/collect.h"
#include "merge/text_encoding.h"

#include <string>
#include <vector>

namespace merge {

inline constexpr int kPreviewRows = 50;

struct Preview {
  std::vector<std::vector<std::string>> rows; // the cells, in `encoding`
  TextEncoding encoding = TextEncoding::kCp1251;
  bool cut = false; // the file goes on beyond the rows shown
};

// The first kPreviewRows rows that collecting the file alone under
// `options` places, stacked from the top and without file names (the
// delimiter, the encoding, quotes, the header and the lines dropped as the
// options say), read from at most the first kFileStartSize bytes. A record
// the end of those bytes cuts is not shown. Throws platform::FileError when
// the file cannot be read (2 when it is missing) and platform::Error when
// the preview's own copy cannot be written.
Preview PreviewFile(const std::string& path, const CollectOptions& options);

} // namespace merge
