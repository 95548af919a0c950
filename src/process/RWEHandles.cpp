#include "process/RWEHandles.h"

#include <utility>

namespace ratemill {

void TRWEHandles::Store(std::size_t slot, platform::TOsHandle handle) {
  // Reset closes what the slot held unless it is the very same handle.
  platform::TOsHandle::TValue value = handle.Release();
  FSlots[slot].Reset(value);
}

platform::TOsHandle TRWEHandles::Take(std::size_t slot) { return std::move(FSlots[slot]); }

}  // namespace ratemill
