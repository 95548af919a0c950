#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ProcessServices.h"
#include "process/RunnerStartupInfo.h"
#include "process/RunnerTypes.h"

namespace ratemill {

// The priority class of `priority`, then the flag of every member of `flags`
// in the order of `TRunnerFlag`.
std::uint32_t ComputeCreationFlags(TProcessPriority priority, TRunnerFlags flags);

// The child's start-up record (without the standard handles).
platform::TStartupRecord ComputeStartupRecord(const TRunnerStartupInfo& info);

// Every entry followed by a NUL, and one more NUL at the end; empty for an
// empty list. Raises `EEnvironmentError` for an empty entry.
std::string StringsToMultiSz(const std::vector<std::string>& strings);

// Removes characters with codes 0 to 32 at both ends.
std::string TrimControl(const std::string& s);

}  // namespace ratemill
