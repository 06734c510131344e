#pragma once
// The one way from init.ini's values to the options of a collect and of a
// save, taken by the window (its widgets read into values) and by the
// command line (values read from --settings).

#include "export/save_table.h"
#include "merge/collect.h"
#include "settings/settings_values.h"

namespace settings {

// The texts are read as init.ini holds them (see ini_text.h) and handed
// down in Windows-1251. Matching by header names is passed on as ticked:
// the collect applies it to stacked files with a header only.
merge::CollectOptions CollectOptionsFrom(const SettingsValues& values);
// No report is asked for.
exporter::SaveOptions SaveOptionsFrom(const SettingsValues& values);

} // namespace settings
