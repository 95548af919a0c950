#include "crash/CloseCountdown.h"

#include <utility>

namespace ratemill::crash {

TCloseCountdown::TCloseCountdown(TClock clock, std::chrono::seconds length)
    : FClock(std::move(clock)), FDeadline(FClock() + length) {}

int TCloseCountdown::SecondsLeft() const {
  const auto left = FDeadline - FClock();
  if (left <= std::chrono::steady_clock::duration::zero()) return 0;
  return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(left).count());
}

}  // namespace ratemill::crash
