#include "settings/ConcurrentJobs.h"

#include <algorithm>
#include <thread>

namespace ratemill {

int DefaultConcurrentJobs() {
  // `hardware_concurrency` gives 0 when the system keeps the number to itself.
  return ClampConcurrentJobs(static_cast<long>(std::thread::hardware_concurrency()));
}

int ClampConcurrentJobs(long value) {
  return static_cast<int>(std::clamp<long>(value, kMinConcurrentJobs, kMaxConcurrentJobs));
}

}  // namespace ratemill
