#pragma once
// What a failure tells the user, the one way for the window's error box and
// the command line's standard error: the exception's text, the file it
// concerns, and the full stop a shown message ends with.

#include <string>

namespace platform {

// The message of an allocation failure.
inline constexpr const char* kOutOfMemory = "Out of memory";

struct ErrorMessage {
  enum class Kind { kCancelled, kError, kOutOfMemory, kOther };
  Kind kind = Kind::kOther;
  std::string text;     // as raised; nothing for a cancellation
  std::string file;     // the full name of the file concerned, or empty
  int system_error = 0; // the errno value behind a file error, 0 when unknown
};

// The exception being handled; called inside a catch block. One that is no
// std::exception is thrown on.
ErrorMessage CurrentErrorMessage();

// The message as shown: a full stop is appended when its last byte sorts
// above ".".
std::string Sentence(std::string message);

} // namespace platform
