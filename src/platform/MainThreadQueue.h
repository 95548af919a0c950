#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace ratemill::platform {

using TMessageHandler = std::function<void(unsigned message, std::uintptr_t wParam)>;

// A receiver of main-thread notices: what a hidden window is to a Windows
// program. Worker threads post to it; its handler runs on the main thread
// while the owner handles pending events, in posting order. Hand-overs
// (`Synchronize`) travel through the same queue, so they keep their place
// among the posted notices.
class IMessageWindow {
 public:
  virtual ~IMessageWindow() = default;

  // Any thread; never blocks. False once the window is closed.
  virtual bool Post(unsigned message, std::uintptr_t wParam) = 0;

  // Worker thread: queues `work` behind everything posted before and blocks
  // until the main thread has run it, or until the window is closed (then
  // `work` never runs). Exceptions thrown by `work` go to the global error
  // handling on the main thread.
  virtual void Synchronize(const std::function<void()>& work) = 0;

  // Main thread: nothing more is delivered. Pending notices are dropped and
  // blocked `Synchronize` calls return.
  virtual void Close() = 0;
};

class IMainThreadQueue {
 public:
  virtual ~IMainThreadQueue() = default;

  // Main thread. Exceptions thrown by `handler` go to the global error
  // handling, with the window as sender; delivery goes on.
  virtual std::shared_ptr<IMessageWindow> CreateMessageWindow(TMessageHandler handler) = 0;
};

}  // namespace ratemill::platform
