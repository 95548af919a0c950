#include <windows.h>

#include <condition_variable>
#include <mutex>

#include "platform/ProcessServices.h"
#include "platform/ProcessServicesChild.h"

namespace ratemill::platform {

namespace {

// Children whose object still exists. Windows keeps no ended child around
// once its handle is closed, so a child counts as collected when it goes.
std::mutex gUncollectedLock;
std::condition_variable gAllCollected;
std::size_t gUncollected = 0;

void CountCollected() {
  std::lock_guard lock(gUncollectedLock);
  if (--gUncollected == 0) gAllCollected.notify_all();
}

HANDLE AsHandle(const TOsHandle& handle) { return reinterpret_cast<HANDLE>(handle.Get()); }

}  // namespace

TChildProcess::TChildProcess(std::intptr_t id, TOsHandle waitHandle) : FId(id), FWaitHandle(std::move(waitHandle)) {
  std::lock_guard lock(gUncollectedLock);
  ++gUncollected;
}

TChildProcess::~TChildProcess() {
  if (!FCollected.load()) CountCollected();
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
  exitCode = code;
  if (!FCollected.exchange(true)) CountCollected();
  return TWaitOutcome::woEnded;
}

void WaitForChildrenCollected() {
  std::unique_lock lock(gUncollectedLock);
  gAllCollected.wait(lock, [] { return gUncollected == 0; });
}

}  // namespace ratemill::platform
