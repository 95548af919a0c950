#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/ProcessServicesSystem.h"

namespace ratemill::platform {

int OpenCloseOnExecPipe(int fds[2]) {
  // Another thread may fork between the two calls; its child then holds the
  // ends until it execs. Systems without pipe2 offer nothing better.
  if (::pipe(fds) != 0) return -1;
  for (int i = 0; i < 2; ++i) {
    if (::fcntl(fds[i], F_SETFD, FD_CLOEXEC) != 0) {
      const int error = errno;
      ::close(fds[0]);
      ::close(fds[1]);
      errno = error;
      return -1;
    }
  }
  return 0;
}

void MarkCloseOnExecAbove2(int maxFd, int keep) {
  for (int fd = 3; fd < maxFd; ++fd) {
    if (fd != keep) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

// A thread waits for the child's end without collecting it (WNOWAIT), then
// closes the pipe's write end, which makes the read end readable.
int OpenChildEndDescriptor(pid_t pid) {
  int fds[2];
  if (OpenCloseOnExecPipe(fds) != 0) return -1;
  const int writeEnd = fds[1];
  try {
    std::thread([pid, writeEnd] {
      siginfo_t info{};
      while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0 && errno == EINTR) {
      }
      ::close(writeEnd);
    }).detach();
  } catch (const std::system_error&) {
    ::close(fds[0]);
    ::close(fds[1]);
    errno = EAGAIN;
    return -1;
  }
  return fds[0];
}

}  // namespace ratemill::platform
