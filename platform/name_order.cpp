#include "platform/directory.h"
#include "platform/file_name_text.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

namespace platform {

void SortNamesForDisplay(std::vector<std::string>& names) {
  // The user's locale; the bare C locale knows no letter case or numbers in
  // collation, so it stands aside for the common root order.
  QLocale locale;
  if (locale.language() == QLocale::C)
    locale = QLocale(QLocale::English, QLocale::UnitedStates);
  QCollator collator(locale);
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  struct Keyed {
    QCollatorSortKey key;
    std::string name;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(names.size());
  for (std::string& n : names)
    keyed.push_back({collator.sortKey(FileNameText(n)), std::move(n)});
  // Names the collation holds equal ("A.csv", "a.csv") keep a stable byte order.
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    const int c = a.key.compare(b.key);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  for (std::size_t i = 0; i < names.size(); ++i)
    names[i] = std::move(keyed[i].name);
}

} // namespace platform
