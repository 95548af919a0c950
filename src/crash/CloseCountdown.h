#pragma once

#include <chrono>
#include <functional>

namespace ratemill::crash {

// The report window's wait for an answer: after `kReportWindowTimeout`
// without one the program ends by itself, so that a program left alone with a
// broken state does not stay open for days. The clock is handed in so that
// tests step it instead of waiting.
inline constexpr std::chrono::seconds kReportWindowTimeout{420};

class TCloseCountdown {
 public:
  using TClock = std::function<std::chrono::steady_clock::time_point()>;

  // Starts counting at once.
  explicit TCloseCountdown(TClock clock, std::chrono::seconds length = kReportWindowTimeout);

  // Whole seconds left, rounded up, so that 0 shows only once time is up.
  int SecondsLeft() const;
  bool Expired() const { return SecondsLeft() == 0; }

 private:
  TClock FClock;
  std::chrono::steady_clock::time_point FDeadline;
};

}  // namespace ratemill::crash
