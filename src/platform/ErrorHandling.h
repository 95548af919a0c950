#pragma once

#include <exception>
#include <functional>

namespace ratemill::platform {

// The application's global error handling. Whatever no caller handles ends up
// here: errors thrown by event handlers, and errors raised while the process
// runner delivers output or a completion. The handler tells the user and the
// program goes on. Without an installed handler the message goes to stderr.
using TErrorHandler = std::function<void(std::exception_ptr error, const void* sender)>;

void SetGlobalErrorHandler(TErrorHandler handler);
void HandleException(std::exception_ptr error, const void* sender = nullptr);

// The message of an error for showing it to the user.
const char* ErrorMessage(const std::exception_ptr& error);

}  // namespace ratemill::platform
