#pragma once
// What a merge could not keep as it was, told on standard error as the
// window tells it in its notices: characters written as "?", files whose
// quote was left open, files that are not UTF-8 under "UTF-8", data after a
// byte 26 that ended a file early.

#include "export/save_table.h"
#include "merge/collect.h"
#include "merge/text_encoding.h"

#include <string>
#include <vector>

namespace merge {
class ResultTable;
} // namespace merge

namespace cli {

// One sentence (UTF-8, without "kleitab: ") for each kind of loss of the
// collect.
// `cut_files`: the sources whose data a byte 26 cut short.
std::vector<std::string> CollectLosses(const merge::EncodingReport& encoding,
                                       const merge::CollectSummary& summary,
                                       const std::vector<std::string>& cut_files);
// The same for the save.
std::vector<std::string> SaveLosses(const exporter::SaveReport& report);

// What saving `table` with `options` would write as "?", found without
// writing anything.
exporter::SaveReport DrySaveReport(const merge::ResultTable& table,
                                   const exporter::SaveOptions& options);

} // namespace cli
