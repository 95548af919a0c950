#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill {

// What the runner's worker threads share: a detached thread that keeps its
// object alive while it runs, a stop event and flag that the main thread sets,
// and the finishing hand-over. When `Execute` returns and the thread was not
// stopped, the completion handler runs on the main thread through the message
// window while the ending thread waits, so the handler sees everything the
// thread did. A stopped thread hands nothing over.
class TWorkerThread : public std::enable_shared_from_this<TWorkerThread> {
 public:
  virtual ~TWorkerThread();
  TWorkerThread(const TWorkerThread&) = delete;
  TWorkerThread& operator=(const TWorkerThread&) = delete;

  // Main thread, before `Start` or to remove it.
  void SetOnFinished(std::function<void()> handler) { FOnFinished = std::move(handler); }
  // Main thread. Raises `ESystemError` when no thread can be made.
  void Start();
  // Main thread: removes the completion handler and tells `Execute` to stop
  // at its next wait. Nothing is handed over afterwards.
  void Stop();

 protected:
  explicit TWorkerThread(std::shared_ptr<platform::IMessageWindow> window);

  // Worker thread. An exception ends the work; the hand-over still follows.
  virtual void Execute() = 0;
  bool Stopped() const { return FStopped.load(); }
  const platform::TStopEvent& StopEvent() const { return FStopEvent; }
  const std::shared_ptr<platform::IMessageWindow>& Window() const { return FWindow; }

 private:
  void Finish();

  std::shared_ptr<platform::IMessageWindow> FWindow;
  platform::TStopEvent FStopEvent;
  std::atomic<bool> FStopped{false};
  std::function<void()> FOnFinished;
};

}  // namespace ratemill
