#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/ProcessServices.h"
#include "platform/ProcessServicesChild.h"

namespace ratemill::platform {

namespace {

// Children started and not seen to end yet, by the watching thread or by the
// background wait of an object that went first.
std::mutex gUncollectedLock;
std::condition_variable gAllCollected;
std::size_t gUncollected = 0;

void CountCollected() {
  std::lock_guard lock(gUncollectedLock);
  if (--gUncollected == 0) gAllCollected.notify_all();
}

HANDLE AsHandle(const TOsHandle& handle) { return reinterpret_cast<HANDLE>(handle.Get()); }

// The exit code of a child we had to force, as a crash of it would report.
constexpr UINT kForcedExitCode = 1;

struct TCloseRequest {
  DWORD ProcessId;
  bool Asked;
};

// Asks each top-level window of the process to close, as its user would.
BOOL CALLBACK AskWindowToClose(HWND window, LPARAM param) {
  auto* request = reinterpret_cast<TCloseRequest*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == request->ProcessId && ::PostMessageW(window, WM_CLOSE, 0, 0)) request->Asked = true;
  return TRUE;
}

}  // namespace

TChildProcess::TChildProcess(std::intptr_t id, TOsHandle waitHandle) : FId(id), FWaitHandle(std::move(waitHandle)) {
  std::lock_guard lock(gUncollectedLock);
  ++gUncollected;
}

TChildProcess::~TChildProcess() {
  if (FCollected.load()) return;
  // Nobody saw the end of a child that is still running. Windows keeps no
  // ended process around, but "every child collected" must still mean that
  // each has ended, as on POSIX: a thread of its own waits for the end.
  HANDLE process = reinterpret_cast<HANDLE>(FWaitHandle.Release());
  try {
    std::thread([process] {
      ::WaitForSingleObject(process, INFINITE);
      ::CloseHandle(process);
      CountCollected();
    }).detach();
  } catch (...) {
    ::CloseHandle(process);
    CountCollected();
  }
}

void TChildProcess::WaitForInputIdle() { ::WaitForInputIdle(AsHandle(FWaitHandle), INFINITE); }

TWaitOutcome TChildProcess::WaitForEndOrStop(const TStopEvent& stop, std::uint32_t& exitCode) {
  // The stop event comes first, so it wins when both are signalled.
  const HANDLE handles[2] = {AsHandle(stop.Handle()), AsHandle(FWaitHandle)};
  const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (result == WAIT_OBJECT_0) return TWaitOutcome::woStopped;
  if (result != WAIT_OBJECT_0 + 1) return TWaitOutcome::woFailed;
  DWORD code = 0;
  if (!::GetExitCodeProcess(handles[1], &code)) return TWaitOutcome::woFailed;
  // A process ended from outside (TerminateProcess) exits with the code it
  // was given; nothing tells it apart from one that exited by itself, so
  // `FEndSignal` stays 0.
  exitCode = code;
  if (!FCollected.exchange(true)) CountCollected();
  return TWaitOutcome::woEnded;
}

void TChildProcess::Terminate(std::chrono::milliseconds grace) {
  const HANDLE process = AsHandle(FWaitHandle);
  if (FCollected.load() || ::WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return;
  // Windows has no polite signal for a console program without a window: a
  // Ctrl+Break reaches only processes on our own console, and the converter
  // runs on a hidden one of its own. A child with windows is asked to close
  // them and gets the grace time; one without any has nobody to ask, and
  // waiting would only delay its end, so it is ended at once.
  //
  // Only a program with a message queue can have windows, and a console
  // program counts as having none. The system tells that without touching a
  // desktop; looking through the windows does touch one, and under Wine that
  // starts a desktop process which inherits our standard output and error
  // and keeps them open long after we have ended.
  TCloseRequest request{static_cast<DWORD>(FId), false};
  if (::WaitForInputIdle(process, 0) != WAIT_FAILED)
    ::EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&request));
  if (!request.Asked || grace.count() <= 0) {
    ::TerminateProcess(process, kForcedExitCode);
    return;
  }
  // A handle of its own keeps the child nameable after this object goes,
  // and the id can never reach a process that got it after the child ended.
  HANDLE watch = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), process, ::GetCurrentProcess(), &watch, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
    ::TerminateProcess(process, kForcedExitCode);
    return;
  }
  const DWORD graceMs = static_cast<DWORD>(grace.count());
  try {
    std::thread([watch, graceMs] {
      if (::WaitForSingleObject(watch, graceMs) == WAIT_TIMEOUT) ::TerminateProcess(watch, kForcedExitCode);
      ::CloseHandle(watch);
    }).detach();
  } catch (...) {
    ::TerminateProcess(watch, kForcedExitCode);
    ::CloseHandle(watch);
  }
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::GetCurrentProcessId()); }

void WaitForChildrenCollected() {
  std::unique_lock lock(gUncollectedLock);
  gAllCollected.wait(lock, [] { return gUncollected == 0; });
}

}  // namespace ratemill::platform
