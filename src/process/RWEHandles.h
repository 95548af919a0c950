#pragma once

#include <cstddef>

#include "platform/ProcessServicesHandle.h"

namespace ratemill {

// Three handle slots used while the pipes are made: 0 read, 1 write, 2 error.
// Whatever is still in a slot when the set goes is closed.
class TRWEHandles {
 public:
  static constexpr std::size_t kRead = 0, kWrite = 1, kError = 2;

  void Store(std::size_t slot, platform::TOsHandle handle);
  // Ownership passes to the taker; the slot is empty afterwards.
  platform::TOsHandle Take(std::size_t slot);
  const platform::TOsHandle& Peek(std::size_t slot) const { return FSlots[slot]; }

 private:
  platform::TOsHandle FSlots[3];
};

}  // namespace ratemill
