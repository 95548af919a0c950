#include <windows.h>

#include <memory>

#include "platform/Errors.h"
#include "platform/Thread.h"

namespace ratemill::platform {
namespace {

// Worker threads only move bytes and wait; a small stack keeps starting the
// three threads of every converter run cheap.
constexpr SIZE_T kWorkerStackSize = 256 * 1024;

DWORD WINAPI RunWorker(void* argument) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
  try {
    (*work)();
  } catch (...) {
    // Work reports its own errors; an escaped one must not end the program.
  }
  return 0;
}

}  // namespace

void StartWorkerThread(std::function<void()> work) {
  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  // Made suspended, so the priority holds before the first instruction runs.
  HANDLE thread = ::CreateThread(nullptr, kWorkerStackSize, &RunWorker, owned.get(),
                                 CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
  if (thread == nullptr) throw ESystemError(static_cast<int>(::GetLastError()));
  owned.release();  // the thread owns it now
  ::SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
  ::ResumeThread(thread);
  ::CloseHandle(thread);
}

}  // namespace ratemill::platform
