#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/ProcessServicesSystem.h"

namespace ratemill::platform {

int OpenCloseOnExecPipe(int fds[2]) { return ::pipe2(fds, O_CLOEXEC); }

void MarkCloseOnExecAbove2(int maxFd, int keep) {
  // One call where the kernel has it (5.11 and later), so a process with a
  // high descriptor limit does not pay a call per possible descriptor.
  if (syscall(SYS_close_range, 3u, ~0u, 4u /* CLOSE_RANGE_CLOEXEC */) == 0) return;
  for (int fd = 3; fd < maxFd; ++fd) {
    if (fd != keep) fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
}

int OpenChildEndDescriptor(pid_t pid) { return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)); }

}  // namespace ratemill::platform
