#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "platform/MainThreadQueue.h"

namespace ratemill::platform {

// A main-thread queue without a toolkit: whoever owns the main thread pumps
// it. Notices and hand-overs of all its windows are served in posting order.
class TPlainMainThreadQueue : public IMainThreadQueue {
 public:
  TPlainMainThreadQueue();
  ~TPlainMainThreadQueue() override;
  TPlainMainThreadQueue(const TPlainMainThreadQueue&) = delete;
  TPlainMainThreadQueue& operator=(const TPlainMainThreadQueue&) = delete;

  std::shared_ptr<IMessageWindow> CreateMessageWindow(TMessageHandler handler) override;

  // Runs what was pending on entry; returns the number of items served.
  std::size_t ProcessMessages();
  // Runs the oldest pending item, if any; false when nothing was pending.
  bool ProcessOne();
  // Sleeps until something is posted, then runs what is pending.
  void WaitAndProcess();
  // Serves items one by one, sleeping while there are none, until `done`.
  void ProcessUntil(const std::function<bool()>& done);
  // Sleeps, serving nothing, until at least `count` hand-overs are queued:
  // lets a caller stand for a main thread that falls behind.
  void WaitForHandOvers(std::size_t count);

  struct TState;

 private:
  std::shared_ptr<TState> FState;
};

}  // namespace ratemill::platform
