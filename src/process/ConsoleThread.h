#pragma once

#include "platform/ProcessServicesHandle.h"
#include "process/WaitForProcessThread.h"

namespace ratemill {

// Watches a child whose standard handles are pipes, the same way as its base.
// It also holds the write end of the child's input pipe, so a child that
// reads its input waits rather than seeing the input end, and closes it when
// the thread object goes.
class TConsoleThread : public TWaitForProcessThread {
 public:
  TConsoleThread(std::shared_ptr<platform::TChildProcess> process, std::shared_ptr<platform::IMessageWindow> window,
                 platform::TOsHandle inputWrite);

 private:
  platform::TOsHandle FInputWrite;
};

}  // namespace ratemill
