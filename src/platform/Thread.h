#pragma once

#include <functional>

namespace ratemill::platform {

// Runs `work` on a new detached thread below normal priority. The thread ends
// when `work` returns; whatever `work` uses must be kept alive by `work` itself.
// Raises `ESystemError` when no thread can be made.
void StartWorkerThread(std::function<void()> work);

}  // namespace ratemill::platform
