#include <windows.h>

#include "platform/ProcessServicesHandle.h"

namespace ratemill::platform {

void TOsHandle::Reset(TValue value) noexcept {
  if (FValue != kInvalid && FValue != 0 && FValue != value) ::CloseHandle(reinterpret_cast<HANDLE>(FValue));
  FValue = value;
}

}  // namespace ratemill::platform
