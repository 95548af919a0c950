#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "platform/Errors.h"
#include "platform/Thread.h"

namespace ratemill::platform {
namespace {

// Worker threads only move bytes and wait; a small stack keeps starting and
// ending the three threads of every converter run cheap (less to map, less
// to unmap and flush when the thread ends).
constexpr std::size_t kWorkerStackSize = 256 * 1024;

void* RunWorker(void* argument) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(argument));
  // One step below the process, like THREAD_PRIORITY_BELOW_NORMAL; on Linux
  // the nice value of a thread id applies to that thread alone.
  const pid_t tid = ::gettid();
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno == 0 && nice < 19) ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice + 1);
  try {
    (*work)();
  } catch (...) {
    // Work reports its own errors; an escaped one must not end the program.
  }
  return nullptr;
}

}  // namespace

void StartWorkerThread(std::function<void()> work) {
  pthread_attr_t attributes;
  if (const int error = ::pthread_attr_init(&attributes)) throw ESystemError(error);
  ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  ::pthread_attr_setstacksize(&attributes, kWorkerStackSize);

  auto owned = std::make_unique<std::function<void()>>(std::move(work));
  pthread_t thread;
  const int error = ::pthread_create(&thread, &attributes, &RunWorker, owned.get());
  ::pthread_attr_destroy(&attributes);
  if (error != 0) throw ESystemError(error);
  (void)owned.release();  // the thread owns it now
}

}  // namespace ratemill::platform
