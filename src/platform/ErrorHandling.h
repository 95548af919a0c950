#pragma once

#include <exception>
#include <functional>
#include <string>

namespace ratemill::platform {

// The application's global error handling. Whatever no caller handles ends up
// here: errors thrown by event handlers, and errors raised while the process
// runner delivers output or a completion. The handler tells the user and the
// program goes on. Without an installed handler the message goes to stderr.
using TErrorHandler = std::function<void(std::exception_ptr error, const void* sender)>;

void SetGlobalErrorHandler(TErrorHandler handler);
void HandleException(std::exception_ptr error, const void* sender = nullptr);
// The same, naming where the error came from in words (the receiving
// object's class and name), for a sender that can tell more than its address.
void HandleException(std::exception_ptr error, const void* sender, const std::string& place);

// While a handler runs: the place its error came from, as handed to
// `HandleException`, or empty text when the caller named none.
const std::string& CurrentErrorPlace();

// The message of an error for showing it to the user.
const char* ErrorMessage(const std::exception_ptr& error);

}  // namespace ratemill::platform
