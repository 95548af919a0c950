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
thread_local std::string gPlace;

// Names the place for the length of one handler call, also when the handler
// itself reports another error from within.
class TPlaceScope {
 public:
  explicit TPlaceScope(const std::string& place) : FSaved(std::exchange(gPlace, place)) {}
  ~TPlaceScope() { gPlace = std::move(FSaved); }
  TPlaceScope(const TPlaceScope&) = delete;
  TPlaceScope& operator=(const TPlaceScope&) = delete;

 private:
  std::string FSaved;
};

}  // namespace

void SetGlobalErrorHandler(TErrorHandler handler) {
  std::lock_guard lock(gHandlerMutex);
  gHandler = std::move(handler);
}

void HandleException(std::exception_ptr error, const void* sender) { HandleException(error, sender, std::string()); }

void HandleException(std::exception_ptr error, const void* sender, const std::string& place) {
  TPlaceScope scope(place);
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

const std::string& CurrentErrorPlace() { return gPlace; }

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
