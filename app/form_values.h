#pragma once
// The window's widgets read into the plain values the engine takes, and
// init.ini's values shown in the widgets: the one place that knows which
// widget holds which option.

#include "export/save_table.h"
#include "merge/collect.h"
#include "settings/settings_values.h"

namespace app {

class TForm1;

// The options of "Настройка", the skip count included.
merge::CollectOptions CollectOptionsOf(const TForm1& form);
// The options of "Сохранить" (no report asked for).
exporter::SaveOptions SaveOptionsOf(const TForm1& form);
// What init.ini stores of the window.
settings::SettingsValues SettingsValuesOf(const TForm1& form);
// Shows stored values in the widgets. The output name goes first, so that
// the check list filled by the directory change leaves the output unticked.
// A directory that can no longer be entered throws its error, but only after
// every other value was applied.
void ShowSettingsValues(TForm1& form, const settings::SettingsValues& values);

} // namespace app
