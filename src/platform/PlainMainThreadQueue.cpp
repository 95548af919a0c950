#include "platform/PlainMainThreadQueue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <utility>

#include "platform/ErrorHandling.h"

namespace ratemill::platform {

namespace {

class TPlainMessageWindow;

struct THandOver {
  std::function<void()> Work;
  bool Done = false;
};

struct TItem {
  std::shared_ptr<TPlainMessageWindow> Window;
  unsigned Message = 0;
  std::uintptr_t WParam = 0;
  std::shared_ptr<THandOver> HandOver;  // set for a hand-over
};

}  // namespace

struct TPlainMainThreadQueue::TState {
  std::mutex Lock;
  std::condition_variable Arrived;   // the main thread waits for items here
  std::condition_variable HandedIn;  // hand-over callers wait here
  std::deque<TItem> Items;
  std::size_t HandOvers = 0;
};

namespace {

class TPlainMessageWindow : public IMessageWindow, public std::enable_shared_from_this<TPlainMessageWindow> {
 public:
  TPlainMessageWindow(std::shared_ptr<TPlainMainThreadQueue::TState> state, TMessageHandler handler)
      : FState(std::move(state)), FHandler(std::move(handler)) {}

  bool Post(unsigned message, std::uintptr_t wParam) override {
    {
      std::lock_guard lock(FState->Lock);
      if (FClosed) return false;
      FState->Items.push_back(TItem{shared_from_this(), message, wParam, nullptr});
    }
    // Woken outside the lock, the main thread does not at once block on it
    // again; the state outlives this call through FState.
    FState->Arrived.notify_one();
    return true;
  }

  void Synchronize(const std::function<void()>& work) override {
    auto handOver = std::make_shared<THandOver>();
    handOver->Work = work;
    std::unique_lock lock(FState->Lock);
    if (FClosed) return;
    FState->Items.push_back(TItem{shared_from_this(), 0, 0, handOver});
    ++FState->HandOvers;
    FState->Arrived.notify_all();
    FState->HandedIn.wait(lock, [&] { return handOver->Done || FClosed; });
  }

  void Close() override {
    std::lock_guard lock(FState->Lock);
    FClosed = true;
    FState->HandedIn.notify_all();
  }

  // Main thread, with the lock not held.
  void Deliver(const TItem& item) {
    if (FClosed.load()) return;
    if (item.HandOver) {
      try {
        item.HandOver->Work();
      } catch (...) {
        HandleException(std::current_exception(), this);
      }
      std::lock_guard lock(FState->Lock);
      item.HandOver->Done = true;
      FState->HandedIn.notify_all();
      return;
    }
    try {
      FHandler(item.Message, item.WParam);
    } catch (...) {
      HandleException(std::current_exception(), this);
    }
  }

 private:
  std::shared_ptr<TPlainMainThreadQueue::TState> FState;
  TMessageHandler FHandler;
  std::atomic<bool> FClosed{false};  // set under FState->Lock
};

// Takes the oldest item; the lock must be held.
TItem PopFront(TPlainMainThreadQueue::TState& state) {
  TItem item = std::move(state.Items.front());
  state.Items.pop_front();
  if (item.HandOver) --state.HandOvers;
  return item;
}

}  // namespace

TPlainMainThreadQueue::TPlainMainThreadQueue() : FState(std::make_shared<TState>()) {}

TPlainMainThreadQueue::~TPlainMainThreadQueue() {
  // Hand-over callers of windows nobody closed must not wait for ever.
  std::deque<TItem> items;
  {
    std::lock_guard lock(FState->Lock);
    items.swap(FState->Items);
    FState->HandOvers = 0;
  }
  for (TItem& item : items) {
    if (item.Window) item.Window->Close();
  }
}

std::shared_ptr<IMessageWindow> TPlainMainThreadQueue::CreateMessageWindow(TMessageHandler handler) {
  return std::make_shared<TPlainMessageWindow>(FState, std::move(handler));
}

bool TPlainMainThreadQueue::ProcessOne() {
  TItem item;
  {
    std::lock_guard lock(FState->Lock);
    if (FState->Items.empty()) return false;
    item = PopFront(*FState);
  }
  item.Window->Deliver(item);
  return true;
}

std::size_t TPlainMainThreadQueue::ProcessMessages() {
  std::size_t pending;
  {
    std::lock_guard lock(FState->Lock);
    pending = FState->Items.size();
  }
  std::size_t served = 0;
  while (served < pending && ProcessOne()) ++served;
  return served;
}

void TPlainMainThreadQueue::WaitAndProcess() {
  {
    std::unique_lock lock(FState->Lock);
    FState->Arrived.wait(lock, [&] { return !FState->Items.empty(); });
  }
  ProcessMessages();
}

void TPlainMainThreadQueue::ProcessUntil(const std::function<bool()>& done) {
  // Takes everything pending at once, so a busy stream costs one lock per
  // batch; what is left when `done` holds goes back to the front, in order.
  std::deque<TItem> batch;
  while (!done()) {
    {
      std::unique_lock lock(FState->Lock);
      FState->Arrived.wait(lock, [&] { return !FState->Items.empty(); });
      while (!FState->Items.empty()) batch.push_back(PopFront(*FState));
    }
    while (!batch.empty()) {
      TItem item = std::move(batch.front());
      batch.pop_front();
      item.Window->Deliver(item);
      if (done()) break;
    }
    if (!batch.empty()) {
      std::lock_guard lock(FState->Lock);
      while (!batch.empty()) {
        if (batch.back().HandOver) ++FState->HandOvers;
        FState->Items.push_front(std::move(batch.back()));
        batch.pop_back();
      }
    }
  }
}

void TPlainMainThreadQueue::WaitForHandOvers(std::size_t count) {
  std::unique_lock lock(FState->Lock);
  FState->Arrived.wait(lock, [&] { return FState->HandOvers >= count; });
}

}  // namespace ratemill::platform
