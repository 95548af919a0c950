#include "process/WaitForProcessThread.h"

namespace ratemill {

TWaitForProcessThread::TWaitForProcessThread(std::shared_ptr<platform::TChildProcess> process,
                                             std::shared_ptr<platform::IMessageWindow> window)
    : TWorkerThread(std::move(window)), FProcess(std::move(process)) {}

void TWaitForProcessThread::Execute() {
  if (Stopped()) return;
  FProcess->WaitForInputIdle();
  std::uint32_t exitCode = 0;
  // A stop leaves the exit code alone, and so does a failed wait: the run
  // then completes with exit code 0, which is all a caller could learn.
  if (FProcess->WaitForEndOrStop(StopEvent(), exitCode) == platform::TWaitOutcome::woEnded) {
    FExitCode = exitCode;
    FEndSignal = FProcess->EndSignal();
  }
}

}  // namespace ratemill
