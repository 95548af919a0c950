#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesHandle.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill {

// Reads one pipe until it breaks, appending what it reads to a buffer shared
// with the main thread and posting a data notice when none of its notices is
// still pending: a busy stream wakes the main thread once per drain, not once
// per read. The thread owns its pipe end and closes it itself, so a stopped
// thread never touches a handle that someone else has closed. It keeps itself
// alive while it runs.
class TReadThread : public std::enable_shared_from_this<TReadThread> {
 public:
  static constexpr std::size_t kReadSize = 1024;
  static constexpr std::size_t kInitialCapacity = 1024;
  static constexpr std::size_t kMaxCapacity = 131072;

  // `notice` is posted with every data notice: the reader, never the thread.
  TReadThread(platform::TOsHandle pipe, std::shared_ptr<platform::IMessageWindow> window, unsigned message,
              std::uintptr_t notice);
  TReadThread(const TReadThread&) = delete;
  TReadThread& operator=(const TReadThread&) = delete;

  // Main thread, before `Start` or to remove it: runs on the main thread,
  // through a hand-over, after the thread's last append.
  void SetOnFinished(std::function<void()> handler) { FOnFinished = std::move(handler); }
  void Start();
  // Main thread: the thread stops at its next wait and closes its pipe end.
  void Stop();

  // Reader thread: adds bytes to the shared buffer (doubling it up to
  // `kMaxCapacity`, dropping what it holds beyond that) and posts a notice
  // unless one is still pending.
  void AppendData(const char* bytes, std::size_t count);
  // Main thread, for each notice, before the first `TakeData`: the pending
  // notice counts as handled, so the next append posts again. Bytes appended
  // after this call are either taken by the `TakeData` calls that follow or
  // announced by a new notice.
  void AcceptNotice();
  // Main thread: moves up to `kReadSize` bytes from the front of the shared
  // buffer to `piece`; 0 when it is empty.
  std::size_t TakeData(char* piece);

  std::size_t Capacity() const;

 private:
  void Execute();

  platform::TOsHandle FPipe;
  std::shared_ptr<platform::IMessageWindow> FWindow;
  unsigned FMessage;
  std::uintptr_t FNotice;
  platform::TStopEvent FStop;
  std::atomic<bool> FStopped{false};
  std::function<void()> FOnFinished;
  // Set by the append that posts a notice, cleared by `AcceptNotice`.
  std::atomic<bool> FNoticePending{false};

  mutable std::mutex FLock;
  std::unique_ptr<char[]> FBuffer;
  std::size_t FCapacity = 0;
  std::size_t FStart = 0;  // bytes before this offset are already taken
  std::size_t FCount = 0;
};

}  // namespace ratemill
