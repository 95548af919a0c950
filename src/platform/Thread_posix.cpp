#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/Errors.h"
#include "platform/Thread.h"

namespace ratemill::platform {

void StartWorkerThread(std::function<void()> work) {
  try {
    std::thread([work = std::move(work)] {
      // One step below the process, like THREAD_PRIORITY_BELOW_NORMAL; on
      // Linux the nice value of a thread id applies to that thread alone.
      const pid_t tid = ::gettid();
      errno = 0;
      const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
      if (errno == 0 && nice < 19) ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice + 1);
      try {
        work();
      } catch (...) {
        // Work reports its own errors; an escaped one must not end the program.
      }
    }).detach();
  } catch (const std::system_error& e) {
    throw ESystemError(e.code().value());
  }
}

}  // namespace ratemill::platform
