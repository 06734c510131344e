#include "platform/error_message.h"

#include "platform/errors.h"
#include "platform/progress.h"

#include <exception>
#include <new>

namespace platform {

ErrorMessage CurrentErrorMessage() {
  try {
    throw;
  } catch (const Cancelled&) {
    return {ErrorMessage::Kind::kCancelled, {}, {}};
  } catch (const FileError& error) {
    return {ErrorMessage::Kind::kError, error.what(), error.file(), error.system_error()};
  } catch (const Error& error) {
    return {ErrorMessage::Kind::kError, error.what(), error.file()};
  } catch (const std::bad_alloc&) {
    return {ErrorMessage::Kind::kOutOfMemory, kOutOfMemory, {}};
  } catch (const std::exception& error) {
    return {ErrorMessage::Kind::kOther, error.what(), {}};
  }
}

std::string Sentence(std::string message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
    message += '.';
  return message;
}

} // namespace platform
