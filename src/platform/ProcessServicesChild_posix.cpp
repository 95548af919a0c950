#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/ProcessServices.h"
#include "platform/ProcessServicesChild.h"

namespace ratemill::platform {

namespace {

// Children started and not collected yet.
std::mutex gUncollectedLock;
std::condition_variable gAllCollected;
std::size_t gUncollected = 0;

void CountCollected() {
  std::lock_guard lock(gUncollectedLock);
  if (--gUncollected == 0) gAllCollected.notify_all();
}

std::uint32_t ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<std::uint32_t>(WEXITSTATUS(status));
  // Ended by a signal: the shell's convention, 128 + the signal number.
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return 0;
}

int Collect(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

}  // namespace

TChildProcess::TChildProcess(std::intptr_t id, TOsHandle waitHandle) : FId(id), FWaitHandle(std::move(waitHandle)) {
  std::lock_guard lock(gUncollectedLock);
  ++gUncollected;
}

TChildProcess::~TChildProcess() {
  if (FCollected.load()) return;
  const pid_t pid = static_cast<pid_t>(FId);
  try {
    // Blocks in waitpid until the child ends; no polling.
    std::thread([pid] {
      Collect(pid);
      CountCollected();
    }).detach();
  } catch (...) {
    // No thread to be had: the child stays uncollected until we exit.
  }
}

void TChildProcess::WaitForInputIdle() {}

TWaitOutcome TChildProcess::WaitForEndOrStop(const TStopEvent& stop, std::uint32_t& exitCode) {
  pollfd fds[2] = {{static_cast<int>(stop.Handle().Get()), POLLIN, 0},
                   {static_cast<int>(FWaitHandle.Get()), POLLIN, 0}};
  for (;;) {
    const int n = ::poll(fds, 2, -1);
    if (n < 0) {
      if (errno == EINTR) continue;
      return TWaitOutcome::woFailed;
    }
    // The stop event comes first, as it would in a wait for either of them.
    if (fds[0].revents) return TWaitOutcome::woStopped;
    if (fds[1].revents) break;
  }
  const int status = Collect(static_cast<pid_t>(FId));
  exitCode = ExitCodeOf(status);
  FEndSignal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  FCollected = true;
  CountCollected();
  return TWaitOutcome::woEnded;
}

namespace {

// True when the process behind `pidfd` has ended (collected or not).
bool HasEnded(int pidfd, int timeoutMs) {
  pollfd fd{pidfd, POLLIN, 0};
  int ready;
  do {
    ready = ::poll(&fd, 1, timeoutMs);
  } while (ready < 0 && errno == EINTR);
  return ready != 0;
}

// The pidfd names the child itself, so the signal can never reach a process
// that got its id after it ended. The group, when the child leads one, holds
// what it started (a wrapper script's converter), which must end with it.
void SignalChild(pid_t pid, int pidfd, int signal) {
  ::kill(-pid, signal);
  ::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0);
}

}  // namespace

void TChildProcess::Terminate(std::chrono::milliseconds grace) {
  const int pidfd = static_cast<int>(FWaitHandle.Get());
  if (FCollected.load() || HasEnded(pidfd, 0)) return;
  const pid_t pid = static_cast<pid_t>(FId);
  SignalChild(pid, pidfd, SIGTERM);
  // A descriptor of its own keeps the child nameable after this object goes.
  const int watch = ::fcntl(pidfd, F_DUPFD_CLOEXEC, 0);
  if (watch < 0) return;
  const int graceMs = static_cast<int>(grace.count());
  try {
    std::thread([pid, watch, graceMs] {
      if (!HasEnded(watch, graceMs)) SignalChild(pid, watch, SIGKILL);
      ::close(watch);
    }).detach();
  } catch (...) {
    ::close(watch);
  }
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

void WaitForChildrenCollected() {
  std::unique_lock lock(gUncollectedLock);
  gAllCollected.wait(lock, [] { return gUncollected == 0; });
}

}  // namespace ratemill::platform
