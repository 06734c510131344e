#include "export/delimiter.h"

namespace exporter {

char DelimiterFromText(std::string_view text) {
  return text.empty() ? ',' : text.front();
}

} // namespace exporter
