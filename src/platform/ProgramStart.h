#pragma once

#include <memory>
#include <string>

namespace ratemill::platform {

// Starts a program as a new, independent process: it outlives us, does not
// share our session or terminal, and inherits none of our open files beyond
// the standard ones.
class IProgramStarter {
 public:
  virtual ~IProgramStarter() = default;
  // Starts `executable` without arguments in the working folder `folder`.
  // Throws `ESystemError` when it cannot be started.
  virtual void StartDetached(const std::string& executable, const std::string& folder) = 0;
};

// The starter of this platform.
std::unique_ptr<IProgramStarter> CreateProgramStarter();

}  // namespace ratemill::platform
