#pragma once

#include <sys/types.h>

namespace ratemill::platform {

// The few process calls that Linux has and other POSIX systems do not, behind
// one interface: ProcessServicesSystem_linux.cpp uses the Linux calls, and
// ProcessServicesSystem_posix.cpp gives the same behaviour with POSIX alone.

// A pipe whose both ends close on exec. Returns 0, or -1 with errno set.
int OpenCloseOnExecPipe(int fds[2]);

// Marks every descriptor from 3 up to `maxFd` close-on-exec, except `keep`.
// Called between fork and exec: async-signal-safe.
void MarkCloseOnExecAbove2(int maxFd, int keep);

// A descriptor that becomes readable when the child `pid` ends, without
// collecting it. Returns the descriptor, or -1 with errno set.
int OpenChildEndDescriptor(pid_t pid);

}  // namespace ratemill::platform
