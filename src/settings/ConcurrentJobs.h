#pragma once

namespace ratemill {

// The bounds of the "concurrent conversions" option.
inline constexpr int kMinConcurrentJobs = 1;
inline constexpr int kMaxConcurrentJobs = 64;

// One converter per logical processor, within the option's bounds; one when
// the system does not say how many it has.
int DefaultConcurrentJobs();

// A stored value brought into the option's bounds.
int ClampConcurrentJobs(long value);

}  // namespace ratemill
