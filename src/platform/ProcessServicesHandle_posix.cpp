#include <unistd.h>

#include "platform/ProcessServicesHandle.h"

namespace ratemill::platform {

void TOsHandle::Reset(TValue value) noexcept {
  if (FValue != kInvalid && FValue != value) ::close(static_cast<int>(FValue));
  FValue = value;
}

}  // namespace ratemill::platform
