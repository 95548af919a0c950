#include "platform/qt/QtMainThreadQueue.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <utility>

#include "platform/ErrorHandling.h"

namespace ratemill::platform {

namespace {

const QEvent::Type kNoticeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Shared by a window, its receiver and every event in flight, so that a
// closed window's late events find out and do nothing.
struct TWindowState {
  std::mutex Lock;
  std::condition_variable HandedIn;
  bool Closed = false;
  TMessageHandler Handler;
  const void* Sender = nullptr;
};

struct THandOver {
  std::function<void()> Work;
  bool Done = false;
};

class TNoticeEvent : public QEvent {
 public:
  TNoticeEvent(unsigned message, std::uintptr_t wParam, std::shared_ptr<THandOver> handOver)
      : QEvent(kNoticeEvent), Message(message), WParam(wParam), HandOver(std::move(handOver)) {}
  ~TNoticeEvent() override {
    // A hand-over dropped unserved (the receiver went) releases its caller.
    if (HandOver && State) {
      std::lock_guard lock(State->Lock);
      HandOver->Done = true;
      State->HandedIn.notify_all();
    }
  }

  unsigned Message;
  std::uintptr_t WParam;
  std::shared_ptr<THandOver> HandOver;
  std::shared_ptr<TWindowState> State;
};

class TReceiver : public QObject {
 public:
  explicit TReceiver(std::shared_ptr<TWindowState> state) : FState(std::move(state)) {}

  bool event(QEvent* e) override {
    if (e->type() != kNoticeEvent) return QObject::event(e);
    auto* notice = static_cast<TNoticeEvent*>(e);
    {
      std::lock_guard lock(FState->Lock);
      if (FState->Closed) return true;
    }
    try {
      if (notice->HandOver) {
        notice->HandOver->Work();
      } else {
        FState->Handler(notice->Message, notice->WParam);
      }
    } catch (...) {
      HandleException(std::current_exception(), FState->Sender);
    }
    // An owner that sleeps in processEvents(WaitForMoreEvents) until a notice
    // has changed its state must get back to look at it. Qt's Windows and
    // plain Unix dispatchers deliver posted events at the start of such a
    // call and then wait for the next system message: a notice whose own
    // wake-up was used up by the pass before would leave the owner asleep
    // with its work done. Waking the dispatcher ends that wait after the
    // messages already queued, so nothing else is held back.
    if (QAbstractEventDispatcher* dispatcher = thread()->eventDispatcher()) dispatcher->wakeUp();
    return true;  // the event's destructor releases a hand-over's caller
  }

 private:
  std::shared_ptr<TWindowState> FState;
};

class TQtMessageWindow : public IMessageWindow {
 public:
  explicit TQtMessageWindow(TMessageHandler handler) : FState(std::make_shared<TWindowState>()) {
    FState->Handler = std::move(handler);
    FState->Sender = this;
    FReceiver = new TReceiver(FState);
  }
  ~TQtMessageWindow() override { Close(); }

  bool Post(unsigned message, std::uintptr_t wParam) override { return Send(message, wParam, nullptr); }

  void Synchronize(const std::function<void()>& work) override {
    auto handOver = std::make_shared<THandOver>();
    handOver->Work = work;
    if (!Send(0, 0, handOver)) return;
    std::unique_lock lock(FState->Lock);
    FState->HandedIn.wait(lock, [&] { return handOver->Done || FState->Closed; });
  }

  void Close() override {
    QObject* receiver = nullptr;
    {
      std::lock_guard lock(FState->Lock);
      if (FState->Closed) return;
      FState->Closed = true;
      receiver = FReceiver;
      FReceiver = nullptr;
      FState->HandedIn.notify_all();
    }
    // Not deleted at once: Close may come from inside one of its own events.
    if (receiver) receiver->deleteLater();
  }

 private:
  bool Send(unsigned message, std::uintptr_t wParam, std::shared_ptr<THandOver> handOver) {
    auto* event = new TNoticeEvent(message, wParam, std::move(handOver));
    event->State = FState;
    std::lock_guard lock(FState->Lock);
    if (FState->Closed) {
      event->HandOver.reset();
      delete event;
      return false;
    }
    QCoreApplication::postEvent(FReceiver, event);
    return true;
  }

  std::shared_ptr<TWindowState> FState;
  TReceiver* FReceiver;  // guarded by FState->Lock
};

}  // namespace

std::shared_ptr<IMessageWindow> TQtMainThreadQueue::CreateMessageWindow(TMessageHandler handler) {
  return std::make_shared<TQtMessageWindow>(std::move(handler));
}

}  // namespace ratemill::platform
