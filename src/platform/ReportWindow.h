#pragma once

#include <string>

namespace ratemill::platform {

// What the user chose in the report window. `Close` is also the answer of a
// window that ended itself after waiting too long for one.
enum class TReportAnswer { Send, Continue, Restart, Close };

struct TReportRequest {
  std::string Message;  // the error's message
  std::string Report;   // the report text, exactly as it would be sent
  // The report of a crash of the previous run: the window says so and offers
  // only send, show and continue, since there is nothing to restart or close.
  bool PreviousRun = false;
};

// The modal window that tells the user about an error nobody handled. Showing
// the report happens inside the window; every other button ends it and is
// returned. A window that offers no close ends itself with `Continue`.
class IReportWindow {
 public:
  virtual ~IReportWindow() = default;
  virtual TReportAnswer Show(const TReportRequest& request) = 0;
};

}  // namespace ratemill::platform
