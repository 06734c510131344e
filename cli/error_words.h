#pragma once
// What the command line says of an error: the window's text, and where that
// text alone does not say what is wrong (a directory or a device where a
// file was wanted, the system's reason behind "I/O error N"), why, in
// parentheses before the full stop.

#include <string>

namespace cli {

// The sentence for `message` about `file` ("-" is a standard stream, empty
// none); `system_error` is the errno value behind it, 0 when unknown.
std::string ErrorSentence(const std::string& message, const std::string& file, int system_error);

} // namespace cli
