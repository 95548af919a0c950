#include "process/ReadThread.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ProcessServices.h"

namespace ratemill {

TReadThread::TReadThread(platform::TOsHandle pipe, std::shared_ptr<platform::IMessageWindow> window, unsigned message,
                         std::uintptr_t notice)
    : TWorkerThread(std::move(window)),
      FMessage(message),
      FNotice(notice),
      FPipe(std::move(pipe)),
      FBuffer(new char[kInitialCapacity]),
      FCapacity(kInitialCapacity) {}

void TReadThread::Execute() {
  char buffer[kReadSize];
  while (!Stopped()) {
    const platform::TReadResult result = platform::ReadOrStop(FPipe, StopEvent(), buffer, kReadSize);
    if (result.Outcome != platform::TReadOutcome::roData) break;
    AppendData(buffer, result.Count);
  }
  std::lock_guard lock(FLock);
  FPipe.Reset();
}

void TReadThread::AppendData(const char* bytes, std::size_t count) {
  {
    std::lock_guard lock(FLock);
    if (FCount + count > FCapacity) {
      if (FCapacity <= kMaxCapacity / 2) {
        std::unique_ptr<char[]> bigger(new char[FCapacity * 2]);
        std::memcpy(bigger.get(), FBuffer.get() + FStart, FCount);
        FBuffer = std::move(bigger);
        FCapacity *= 2;
        FStart = 0;
      } else {
        // A main thread this far behind loses what it has not taken yet
        // rather than letting the buffer grow without limit; the count
        // tells it how much, at the place where the bytes went missing.
        FDropped += FCount;
        FCount = 0;
        FStart = 0;
      }
    }
    if (FStart + FCount + count > FCapacity) {
      std::memmove(FBuffer.get(), FBuffer.get() + FStart, FCount);
      FStart = 0;
    }
    std::memcpy(FBuffer.get() + FStart + FCount, bytes, count);
    FCount += count;
  }
  // The bytes are in the buffer before the mark is looked at. If the mark is
  // still set, the main thread has not yet cleared it for the pending notice,
  // and it clears it before it takes under the same lock: it sees these bytes.
  if (!FNoticePending.exchange(true, std::memory_order_acq_rel)) Window()->Post(FMessage, FNotice);
}

void TReadThread::AcceptNotice() { FNoticePending.store(false, std::memory_order_release); }

std::size_t TReadThread::TakeData(char* piece, std::size_t& dropped) {
  std::lock_guard lock(FLock);
  dropped = 0;
  if (FCount == 0) return 0;
  // A drop always leaves the bytes of the append that caused it behind, so
  // a count is never without a piece to go in front of.
  dropped = std::exchange(FDropped, 0);
  const std::size_t k = std::min(kReadSize, FCount);
  std::memcpy(piece, FBuffer.get() + FStart, k);
  FStart += k;
  FCount -= k;
  if (FCount == 0) FStart = 0;
  return k;
}

std::size_t TReadThread::Capacity() const {
  std::lock_guard lock(FLock);
  return FCapacity;
}

}  // namespace ratemill
