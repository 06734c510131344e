#pragma once
// One Russian sentence below an error's message: what happened and what to
// do, for the error box and the command line alike. The message itself
// stays as it is; the sentence only adds to it.

#include <string>

namespace platform {

// The sentence (UTF-8) for a shown message ("File not found", "I/O error
// 32", ...) about `file` (empty: none); empty when there is nothing to add.
// `system_error` is the system's number behind it, 0 when unknown.
std::string ErrorAdvice(const std::string& message, const std::string& file, int system_error);

// The sentence for "I/O error N" where N is this system's own number (the
// file layer's own numbers aside); empty when there is none.
std::string SystemErrorAdvice(int number);

} // namespace platform
