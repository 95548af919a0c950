#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "platform/ProcessServicesHandle.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill::platform {

enum class TWaitOutcome { woEnded, woStopped, woFailed };

// A started child process. Whoever sees its end collects it; a child whose
// end nobody has seen when this object goes is collected in the background
// once it ends, so no finished child ever lingers in the process table.
class TChildProcess {
 public:
  TChildProcess(std::intptr_t id, TOsHandle waitHandle);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  std::uint32_t ProcessId() const { return static_cast<std::uint32_t>(FId); }

  // Returns when the child can take input (at once where the system has no
  // such notion).
  void WaitForInputIdle();

  // Blocks until the child ends (then `exitCode` is set and the child is
  // collected) or `stop` is set. Call from one thread at a time.
  TWaitOutcome WaitForEndOrStop(const TStopEvent& stop, std::uint32_t& exitCode);

  // The signal that ended the child, known once `WaitForEndOrStop` has seen
  // its end; 0 when it exited by itself. The exit code of such a child only
  // follows a convention (128 + the signal) that a child can also exit with,
  // so this is the one way to tell. Windows ends no process by a signal: 0.
  int EndSignal() const { return FEndSignal.load(); }

  // Asks the child to end (and with it the processes of its group, when it
  // leads one) and forces it to end when it is still there after `grace`.
  // Returns at once; the forcing waits in the background. A child that has
  // already ended is left alone. Any thread.
  void Terminate(std::chrono::milliseconds grace);

 private:
  std::intptr_t FId;
  TOsHandle FWaitHandle;
  std::atomic<bool> FCollected{false};
  std::atomic<int> FEndSignal{0};
};

// This program's own process id.
std::uint32_t CurrentProcessId();

}  // namespace ratemill::platform
