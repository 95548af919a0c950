#pragma once

#include <cstdint>
#include <memory>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesChild.h"
#include "process/WorkerThread.h"

namespace ratemill {

// Watches a child until it ends or the thread is stopped, then hands its
// completion handler to the main thread and waits until that has run. The
// child is shared with the runner.
class TWaitForProcessThread : public TWorkerThread {
 public:
  TWaitForProcessThread(std::shared_ptr<platform::TChildProcess> process,
                        std::shared_ptr<platform::IMessageWindow> window);

  // Main thread, from the completion handler: 0 unless the child's end was seen.
  std::uint32_t ExitCode() const { return FExitCode; }
  // Main thread, from the completion handler: the signal that ended the
  // child, 0 unless its end by a signal was seen.
  int EndSignal() const { return FEndSignal; }

 protected:
  void Execute() override;

 private:
  std::shared_ptr<platform::TChildProcess> FProcess;
  std::uint32_t FExitCode = 0;
  int FEndSignal = 0;
};

}  // namespace ratemill
