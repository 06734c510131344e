#pragma once
// The "#" escape of the saved table: a byte that would break the file's
// structure is written as "#" and its decimal value.

#include <string>
#include <string_view>

namespace exporter {

// Each byte equal to the delimiter, and each byte below 32, becomes "#"
// followed by its value in decimal without leading zeros ("#9", "#44",
// "#192"); every other byte, "#" itself included, stays as it is. Nothing
// marks the end of the number, so an escape runs into a following digit.
std::string EscapeCell(std::string_view cell, char delimiter);

} // namespace exporter
