#include "platform/ErrorHandling.h"

#include <cstdio>
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

namespace ratemill::platform {
namespace {

std::mutex gHandlerMutex;
TErrorHandler gHandler;

}  // namespace

void SetGlobalErrorHandler(TErrorHandler handler) {
  std::lock_guard lock(gHandlerMutex);
  gHandler = std::move(handler);
}

void HandleException(std::exception_ptr error, const void* sender) {
  TErrorHandler handler;
  {
    std::lock_guard lock(gHandlerMutex);
    handler = gHandler;
  }
  if (handler) {
    try {
      handler(error, sender);
      return;
    } catch (...) {
      // A handler that fails itself must not take the program down with it.
    }
  }
  std::fprintf(stderr, "Ratemill: %s\n", ErrorMessage(error));
}

const char* ErrorMessage(const std::exception_ptr& error) {
  thread_local std::string message;
  try {
    if (error) std::rethrow_exception(error);
    message.clear();
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "Unbekannter Fehler";
  }
  return message.c_str();
}

}  // namespace ratemill::platform
