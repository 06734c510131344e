#pragma once
// Fixing the table's encoding when a collect first fills it.

#include "merge/result_table.h"
#include "merge/text_encoding.h"

namespace merge {

// When the table's encoding is still free, fixes it for `option`
// (Windows-1251 for "Windows-1251", UTF-8 otherwise). Cells typed in before
// (Windows-1251 while the encoding was free) are converted to UTF-8 then.
// A fixed encoding stays: later files are converted into it.
void FixTableEncoding(ResultTable& table, SourceEncoding option);

} // namespace merge
