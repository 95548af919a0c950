#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServicesHandle.h"
#include "process/WorkerThread.h"

namespace ratemill {

// Reads one pipe until it breaks, appending what it reads to a buffer shared
// with the main thread and posting a data notice when none of its notices is
// still pending: a busy stream wakes the main thread once per drain, not once
// per read. The thread owns its pipe end and closes it itself, so a stopped
// thread never touches a handle that someone else has closed.
class TReadThread : public TWorkerThread {
 public:
  static constexpr std::size_t kReadSize = 1024;
  static constexpr std::size_t kInitialCapacity = 1024;
  static constexpr std::size_t kMaxCapacity = 131072;

  // `pipe` must have been made ready with `platform::PrepareReadEnd`. Every
  // data notice is `message` with `notice` as its parameter: the stream's id,
  // which stays meaningful after this thread has gone.
  TReadThread(platform::TOsHandle pipe, std::shared_ptr<platform::IMessageWindow> window, unsigned message,
              std::uintptr_t notice);

  // Reader thread: adds bytes to the shared buffer (doubling it up to
  // `kMaxCapacity`; beyond that, what it holds is dropped and counted) and
  // posts a notice unless one is still pending.
  void AppendData(const char* bytes, std::size_t count);
  // Main thread, for each notice, before the first `TakeData`: the pending
  // notice counts as handled, so the next append posts again. Bytes appended
  // after this call are either taken by the `TakeData` calls that follow or
  // announced by a new notice.
  void AcceptNotice();
  // Main thread: moves up to `kReadSize` bytes from the front of the shared
  // buffer to `piece`; 0 when it is empty. `dropped` receives the number of
  // bytes that were dropped right before this piece, 0 when none were.
  std::size_t TakeData(char* piece, std::size_t& dropped);

  std::size_t Capacity() const;

 protected:
  void Execute() override;

 private:
  const unsigned FMessage;
  const std::uintptr_t FNotice;
  // Set by the append that posts a notice, cleared by `AcceptNotice`.
  std::atomic<bool> FNoticePending{false};

  mutable std::mutex FLock;
  platform::TOsHandle FPipe;
  std::unique_ptr<char[]> FBuffer;
  std::size_t FCapacity = 0;
  std::size_t FStart = 0;  // bytes before this offset are already taken
  std::size_t FCount = 0;
  // Bytes dropped in front of the buffer's first byte that the main thread
  // has not yet been told of. Every drop empties the buffer, so all bytes
  // dropped since the last take lie together, right there.
  std::size_t FDropped = 0;
};

}  // namespace ratemill
