#include "merge/file_name_tag.h"

#include "platform/codepage.h"

namespace merge {

namespace {

std::string ToCellText(std::string_view name) {
  return platform::FileNameToCp1251(name);
}

} // namespace

std::string FileNameTag(std::string_view path, bool name_only) {
  if (!name_only)
    return ToCellText(path);
  std::string_view name = path;
  if (const auto slash = name.rfind('/'); slash != std::string_view::npos)
    name.remove_prefix(slash + 1);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return ToCellText(name);
  const std::string_view extension = name.substr(dot);
  return ToCellText(name.substr(0, name.find(extension)));
}

} // namespace merge
