#include <windows.h>

#include "platform/Errors.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill::platform {

TStopEvent::TStopEvent() {
  HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) throw ESystemError(static_cast<int>(::GetLastError()));
  FHandle.Reset(reinterpret_cast<TOsHandle::TValue>(event));
}

void TStopEvent::Set() { ::SetEvent(reinterpret_cast<HANDLE>(FHandle.Get())); }

bool TStopEvent::IsSet() const {
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(FHandle.Get()), 0) == WAIT_OBJECT_0;
}

}  // namespace ratemill::platform
