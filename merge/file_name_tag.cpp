#include "merge/file_name_tag.h"

#include "platform/codepage.h"
#include "platform/directory.h"
#include "platform/utf8.h"

namespace merge {

namespace {

std::string ToCellText(std::string_view name, TextEncoding encoding) {
  if (encoding == TextEncoding::kCp1251)
    return platform::FileNameToCp1251(name);
  if (platform::IsValidUtf8(name))
    return std::string(name);
  return platform::Cp1251ToUtf8(name);
}

} // namespace

std::string FileNameTag(std::string_view path, bool name_only, TextEncoding encoding) {
  if (!name_only)
    return ToCellText(path, encoding);
  std::string_view name = path;
  name.remove_prefix(platform::BareNameStart(name));
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos)
    return ToCellText(name, encoding);
  const std::string_view extension = name.substr(dot);
  return ToCellText(name.substr(0, name.find(extension)), encoding);
}

} // namespace merge
