#pragma once
// Whether a cell reads as a number, and its value: an optional sign, digits
// with "." or "," before a fraction (a Russian decimal comma is as good as a
// point), an optional exponent; spaces around it are allowed.

#include <optional>
#include <string_view>

namespace merge {

std::optional<double> CellNumber(std::string_view text);

} // namespace merge
