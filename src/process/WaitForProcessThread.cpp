#include "process/WaitForProcessThread.h"

#include "platform/Errors.h"
#include "platform/Thread.h"

namespace ratemill {

TWaitForProcessThread::TWaitForProcessThread(std::shared_ptr<platform::TChildProcess> process,
                                             std::shared_ptr<platform::IMessageWindow> window)
    : FProcess(std::move(process)), FWindow(std::move(window)) {}

TWaitForProcessThread::~TWaitForProcessThread() = default;

void TWaitForProcessThread::Start() {
  auto self = shared_from_this();
  platform::StartWorkerThread([self] {
    try {
      self->Execute();
    } catch (...) {
      // A failed wait ends the thread; the run still completes, exit code 0.
    }
    if (self->Stopped()) return;
    self->FWindow->Synchronize([self] {
      if (self->FOnFinished) self->FOnFinished(*self);
    });
  });
}

void TWaitForProcessThread::Stop() {
  FOnFinished = nullptr;
  FStopped = true;
  FStopEvent.Set();
}

void TWaitForProcessThread::Execute() {
  FProcess->WaitForInputIdle();
  std::uint32_t exitCode = 0;
  switch (FProcess->WaitForEndOrStop(FStopEvent, exitCode)) {
    case platform::TWaitOutcome::woEnded: FExitCode = exitCode; break;
    case platform::TWaitOutcome::woStopped: break;
    case platform::TWaitOutcome::woFailed: throw platform::ESystemError(0);
  }
}

}  // namespace ratemill
