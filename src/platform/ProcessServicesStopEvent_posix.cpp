#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/Errors.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill::platform {

TStopEvent::TStopEvent() {
  const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) throw ESystemError(errno);
  FHandle.Reset(fd);
}

void TStopEvent::Set() {
  // Never read back, so the event stays readable: a manual reset event.
  const std::uint64_t one = 1;
  ssize_t written;
  do {
    written = ::write(static_cast<int>(FHandle.Get()), &one, sizeof one);
  } while (written < 0 && errno == EINTR);
}

bool TStopEvent::IsSet() const {
  pollfd p{static_cast<int>(FHandle.Get()), POLLIN, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

}  // namespace ratemill::platform
