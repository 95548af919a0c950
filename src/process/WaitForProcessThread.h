#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesChild.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill {

// Watches a child until it ends or the thread is stopped, then hands its
// completion handler to the main thread and waits until that has run. The
// child is shared with the runner; the stop event is the thread's own. It
// keeps itself alive while it runs.
class TWaitForProcessThread : public std::enable_shared_from_this<TWaitForProcessThread> {
 public:
  TWaitForProcessThread(std::shared_ptr<platform::TChildProcess> process,
                        std::shared_ptr<platform::IMessageWindow> window);
  virtual ~TWaitForProcessThread();
  TWaitForProcessThread(const TWaitForProcessThread&) = delete;
  TWaitForProcessThread& operator=(const TWaitForProcessThread&) = delete;

  // Main thread, before `Start` or to remove it.
  void SetOnFinished(std::function<void(TWaitForProcessThread&)> handler) { FOnFinished = std::move(handler); }
  void Start();
  // Main thread: the thread stops waiting and ends without a completion.
  void Stop();
  // Main thread, from the completion handler: 0 unless the child's end was seen.
  std::uint32_t ExitCode() const { return FExitCode; }

 protected:
  virtual void Execute();
  bool Stopped() const { return FStopped.load(); }

  std::shared_ptr<platform::TChildProcess> FProcess;
  platform::TStopEvent FStopEvent;
  std::uint32_t FExitCode = 0;

 private:
  std::shared_ptr<platform::IMessageWindow> FWindow;
  std::atomic<bool> FStopped{false};
  std::function<void(TWaitForProcessThread&)> FOnFinished;
};

}  // namespace ratemill
