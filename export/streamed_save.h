#pragma once
// A stacked merge written straight into its output file, without the table:
// a first pass over the sources works out the extents the table would take,
// a second writes the lines. Memory does not grow with the input (only with
// its longest line).

#include "export/output_place.h"
#include "export/save_table.h"
#include "merge/collect.h"

#include <string>
#include <vector>

namespace platform {
class Progress;
} // namespace platform

namespace exporter {

// Writes to `place` the bytes that SaveTable writes after CollectFiles has
// stacked `sources` (in this order, all ticked) into a fresh table with
// `options` (its side_by_side is ignored).
//
// Source errors come first, before the output is touched, as a collect comes
// before a save; then the output is replaced as SaveTable replaces it. Throws
// platform::FileError, platform::Error when a source changed between the
// passes, platform::Cancelled through `progress` (which hears both passes'
// reading). `current_source`, when given, names the source whose failure
// ended the work, and is empty when the output failed.
void SaveStackedStreamed(const std::vector<std::string>& sources,
                         const merge::CollectOptions& options, const OutputPlace& place,
                         const SaveOptions& save, platform::Progress* progress = nullptr,
                         std::string* current_source = nullptr);

} // namespace exporter
