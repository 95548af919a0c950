#include "process/ConsoleThread.h"

namespace ratemill {

TConsoleThread::TConsoleThread(std::shared_ptr<platform::TChildProcess> process,
                               std::shared_ptr<platform::IMessageWindow> window, platform::TOsHandle inputWrite)
    : TWaitForProcessThread(std::move(process), std::move(window)), FInputWrite(std::move(inputWrite)) {}

void TConsoleThread::Execute() {
  if (Stopped()) return;
  FProcess->WaitForInputIdle();
  std::uint32_t exitCode = 0;
  // A failed wait just ends the watching; the run completes with exit code 0.
  if (FProcess->WaitForEndOrStop(FStopEvent, exitCode) == platform::TWaitOutcome::woEnded) {
    FExitCode = exitCode;
  }
}

}  // namespace ratemill
