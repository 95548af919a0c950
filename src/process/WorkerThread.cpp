#include "process/WorkerThread.h"

#include "platform/Thread.h"

namespace ratemill {

TWorkerThread::TWorkerThread(std::shared_ptr<platform::IMessageWindow> window) : FWindow(std::move(window)) {}

TWorkerThread::~TWorkerThread() = default;

void TWorkerThread::Start() {
  auto self = shared_from_this();
  platform::StartWorkerThread([self] {
    try {
      self->Execute();
    } catch (...) {
      // A failed wait or read ends the work like its normal end does; the
      // owner learns of it through what the thread leaves behind (an exit
      // code of 0, no more bytes), and the run still completes.
    }
    self->Finish();
  });
}

void TWorkerThread::Stop() {
  FOnFinished = nullptr;
  FStopped = true;
  FStopEvent.Set();
}

void TWorkerThread::Finish() {
  if (Stopped()) return;
  auto self = shared_from_this();
  // `FOnFinished` is read on the main thread only, where `Stop` clears it, so
  // a stop that comes while this hand-over is queued still silences it.
  FWindow->Synchronize([self] {
    if (self->FOnFinished) self->FOnFinished();
  });
}

}  // namespace ratemill
