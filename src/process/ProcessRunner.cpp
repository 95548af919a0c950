#include "process/ProcessRunner.h"

#include <exception>
#include <utility>

#include "platform/ErrorHandling.h"
#include "process/ConsoleThread.h"
#include "process/ProcessStartup.h"
#include "process/RWEHandles.h"
#include "process/WaitForProcessThread.h"

namespace ratemill {

using platform::TOsHandle;

TProcessRunner::TProcessRunner(platform::IMainThreadQueue& queue)
    : FQueue(queue),
      FErrorReader(*this, TReaderStream::stError, [this] { PostCompletion(); }),
      FOutputReader(*this, TReaderStream::stOutput, [this] { PostCompletion(); }) {
  SetConsoleOptions(FConsoleOptions);
}

TProcessRunner::~TProcessRunner() {
  try {
    StopWatching();
  } catch (...) {
  }
  FOutputReader.StopReading();
  FErrorReader.StopReading();
  // Closing the window drops queued notices and releases hand-overs that
  // threads of this runner may still be waiting in.
  if (FWindow) FWindow->Close();
  FProcess.reset();
  FThread.Reset();
}

void TProcessRunner::SetConsoleOptions(TConsoleOptions value) {
  FConsoleOptions = value;
  const bool ownerData = value.Contains(TConsoleOption::coOwnerData);
  FOutputReader.SetOwnerData(ownerData);
  FErrorReader.SetOwnerData(ownerData);
}

void TProcessRunner::SetKeepLines(bool value) {
  FOutputReader.SetKeepLines(value);
  FErrorReader.SetKeepLines(value);
}

void TProcessRunner::SetWaitForTerminate(bool value) {
  SetReady();
  FWaitForTerminate = value;
}

const std::shared_ptr<platform::IMessageWindow>& TProcessRunner::Window() {
  if (!FWindow) {
    FWindow =
        FQueue.CreateMessageWindow([this](unsigned message, std::uintptr_t wParam) { HandleMessage(message, wParam); });
  }
  return FWindow;
}

void TProcessRunner::SetReady() {
  if (FState == TRunnerState::rsWaiting && FPendingCompletions > 0) throw EProcessRunnerError();
  FState = TRunnerState::rsReady;
  CloseProcessHandles();
  FPendingCompletions = 0;
}

void TProcessRunner::SetWaiting(int completions) {
  if (FState != TRunnerState::rsReady) throw EProcessRunnerError();
  FState = TRunnerState::rsWaiting;
  FPendingCompletions = completions;
}

void TProcessRunner::SetRunning() {
  if (FState != TRunnerState::rsReady) throw EProcessRunnerError();
  FState = TRunnerState::rsRunning;
  CloseProcessHandles();
}

void TProcessRunner::CloseProcessHandles() {
  // A child whose end nobody has seen yet is collected in the background.
  FProcess.reset();
  FThread.Reset();
}

void TProcessRunner::Run() {
  SetReady();
  FProcessId = 0;
  FThreadId = 0;

  platform::TSpawnRequest request;
  request.CreationFlags = ComputeCreationFlags(FPriority, FCreationFlags);
  request.Program = TrimControl(FApplicationName);
  request.Folder = TrimControl(FCurrentDirectory);
  request.CommandLine = FCommandLine;
  request.EnvironmentBlock = StringsToMultiSz(FEnvironment);
  request.Startup = ComputeStartupRecord(FStartupInfo);

  const bool redirect = FConsoleOptions.Contains(TConsoleOption::coRedirect);
  const bool separateError = FConsoleOptions.Contains(TConsoleOption::coSeparateError);
  const bool watch = redirect || FWaitForTerminate;
  if (watch) Window();  // made before the child exists, so it cannot fail after

  // Whatever is left in these sets when Run leaves, also by an error, is closed.
  TRWEHandles runnerHandles, childHandles;
  if (redirect) {
    platform::TPipeEnds output = platform::CreatePipe();
    childHandles.Store(TRWEHandles::kWrite, std::move(output.Write));
    runnerHandles.Store(TRWEHandles::kRead, std::move(output.Read));
    if (separateError) {
      platform::TPipeEnds error = platform::CreatePipe();
      childHandles.Store(TRWEHandles::kError, std::move(error.Write));
      runnerHandles.Store(TRWEHandles::kError, std::move(error.Read));
    } else {
      childHandles.Store(TRWEHandles::kError, platform::DuplicateHandle(childHandles.Peek(TRWEHandles::kWrite)));
    }
    platform::TPipeEnds input = platform::CreatePipe();
    childHandles.Store(TRWEHandles::kRead, std::move(input.Read));
    runnerHandles.Store(TRWEHandles::kWrite, std::move(input.Write));

    request.Startup.Flags |= platform::startf::kUseStdHandles;
    request.StdInput = &childHandles.Peek(TRWEHandles::kRead);
    request.StdOutput = &childHandles.Peek(TRWEHandles::kWrite);
    request.StdError = &childHandles.Peek(TRWEHandles::kError);
  }

  platform::TSpawnedChild child = platform::SpawnProcess(request);
  FProcess = std::move(child.Process);
  FThread = std::move(child.Thread);
  FProcessId = child.ProcessId;
  FThreadId = child.ThreadId;
  ++FRun;

  try {
    if (redirect) {
      SetWaiting(separateError ? 3 : 2);
      auto thread = std::make_shared<TConsoleThread>(FProcess, FWindow, runnerHandles.Take(TRWEHandles::kWrite));
      thread->SetOnFinished([this, watcher = thread.get()] { WaitThreadFinished(*watcher); });
      FWatchThread = thread;
      thread->Start();
      FOutputReader.StartReading(runnerHandles.Take(TRWEHandles::kRead), FWindow);
      if (separateError) FErrorReader.StartReading(runnerHandles.Take(TRWEHandles::kError), FWindow);
    } else if (FWaitForTerminate) {
      SetWaiting(1);
      auto thread = std::make_shared<TWaitForProcessThread>(FProcess, FWindow);
      thread->SetOnFinished([this, watcher = thread.get()] { WaitThreadFinished(*watcher); });
      FWatchThread = thread;
      thread->Start();
    } else {
      FProcess->WaitForInputIdle();
      SetRunning();
    }
  } catch (...) {
    // The child runs on unwatched; it is still collected once it ends.
    StopWatching();
    CloseProcessHandles();
    throw;
  }
}

void TProcessRunner::StopWatching() {
  if (FState != TRunnerState::rsWaiting) return;
  if (FWatchThread) {
    FWatchThread->Stop();
    FWatchThread.reset();
  }
  FOutputReader.StopReading();
  FErrorReader.StopReading();
  ++FRun;
  FPendingCompletions = 0;
  SetReady();
}

void TProcessRunner::WaitThreadFinished(const TWaitForProcessThread& thread) {
  FExitCode = thread.ExitCode();
  FExitSignal = thread.EndSignal();
  FWatchThread.reset();
  PostCompletion();
}

void TProcessRunner::PostCompletion() {
  if (FWindow) FWindow->Post(WM_RUNNER_DONE, FRun);
}

void TProcessRunner::HandleMessage(unsigned message, std::uintptr_t wParam) {
  // Errors of the owner's handlers end this delivery only; the run goes on.
  try {
    if (message == WM_RUNNER_READ) {
      switch (static_cast<TReaderStream>(wParam)) {
        case TReaderStream::stOutput: FOutputReader.DrainBuffer(); break;
        case TReaderStream::stError: FErrorReader.DrainBuffer(); break;
      }
    } else if (message == WM_RUNNER_DONE) {
      CompletionArrived(wParam);
    }
  } catch (...) {
    platform::HandleException(std::current_exception(), this);
  }
}

void TProcessRunner::CompletionArrived(std::uintptr_t run) {
  if (FState != TRunnerState::rsWaiting || run != FRun) return;
  if (--FPendingCompletions != 0) return;
  SetReady();
  if (FOnTerminate) FOnTerminate(*this, FExitCode);
}

}  // namespace ratemill
