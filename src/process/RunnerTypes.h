#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "process/FlagSet.h"

namespace ratemill {

class TProcessRunner;

enum class TRunnerState { rsReady = 0, rsRunning = 1, rsWaiting = 2 };

enum class TProcessPriority { ppIdle, ppNormal, ppHigh, ppRealTime };

// Extra process-creation flags, in the order in which their bits are added.
enum class TRunnerFlag {
  cfDefaultErrorMode,
  cfNewConsole,
  cfNewProcGroup,
  cfSeparateWdm,
  cfSharedWdm,
  cfSuspended,
  cfUnicode,
  cfDetached
};
using TRunnerFlags = TFlagSet<TRunnerFlag>;

enum class TConsoleOption { coOwnerData = 0, coRedirect = 1, coSeparateError = 2 };
using TConsoleOptions = TFlagSet<TConsoleOption>;

enum class TRunnerShowWindow { swHide, swMinimize, swMaximize, swNormal };

using TRunnerReadEvent = std::function<void(TProcessRunner& sender, const std::string& s, bool startsOnNewLine)>;
using TRunnerRawReadEvent = std::function<void(TProcessRunner& sender, const std::string& s)>;
using TRunnerTerminateEvent = std::function<void(TProcessRunner& sender, std::uint32_t exitCode)>;

// Raised when the runner is asked to do something while it still watches a child.
class EProcessRunnerError : public std::runtime_error {
 public:
  EProcessRunnerError() : std::runtime_error("Cannot perform this operation when process is running") {}
};

// Raised by `Run` for an empty environment entry.
class EEnvironmentError : public std::runtime_error {
 public:
  EEnvironmentError() : std::runtime_error("String list passed to StringsToMultiSz cannot contain empty strings.") {}
};

}  // namespace ratemill
