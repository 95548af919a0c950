#pragma once

#include <memory>

#include "platform/MainThreadQueue.h"

namespace ratemill::platform {

// The main-thread queue on Qt's event loop: each window is a QObject living
// on the main thread; notices and hand-overs are custom events posted to it,
// so Qt serves them in posting order and an event loop waiting for more
// events wakes for them. Create on the main thread, after the application.
class TQtMainThreadQueue : public IMainThreadQueue {
 public:
  std::shared_ptr<IMessageWindow> CreateMessageWindow(TMessageHandler handler) override;
};

}  // namespace ratemill::platform
