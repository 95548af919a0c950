#pragma once

#include "platform/ProcessServicesHandle.h"

namespace ratemill::platform {

// A manual-reset event that tells a worker thread to stop waiting. Created
// not signalled; once set it stays set.
class TStopEvent {
 public:
  TStopEvent();
  TStopEvent(const TStopEvent&) = delete;
  TStopEvent& operator=(const TStopEvent&) = delete;

  void Set();
  bool IsSet() const;
  const TOsHandle& Handle() const { return FHandle; }

 private:
  TOsHandle FHandle;
};

}  // namespace ratemill::platform
