#pragma once
// The warnings about text encodings: after a collect that kept bytes which
// are not UTF-8 or replaced characters, and after a save into Windows-1251
// that replaced characters. Empty when there is nothing to tell.

#include "export/save_table.h"
#include "merge/text_encoding.h"

#include <QString>

namespace app {

QString CollectEncodingNotice(const merge::EncodingReport& report);
QString SaveEncodingNotice(const exporter::SaveReport& report);

} // namespace app
