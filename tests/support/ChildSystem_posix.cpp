#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "ChildSystem.h"

namespace ratemill::test::child {

void WriteAll(TStream stream, const char* data, std::size_t size) {
  const int fd = stream == TStream::Error ? 2 : 1;
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::_Exit(3);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

// A gate is a FIFO: opening it blocks until the test opens it for writing,
// and the read returns when the test has written its byte.
void WaitOnGate(const std::string& gate) {
  const int fd = ::open(gate.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::_Exit(4);
  char c;
  while (::read(fd, &c, 1) < 0 && errno == EINTR) {
  }
  ::close(fd);
}

void LeaveGrandchild(const std::string& gate) {
  const pid_t pid = ::fork();
  if (pid < 0) std::_Exit(5);
  if (pid == 0) {
    WaitOnGate(gate);
    WriteAll(TStream::Output, "late\n", 5);
    std::_Exit(0);
  }
}

std::string CurrentFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? buffer : "?";
}

std::string Priority() {
  errno = 0;
  return std::to_string(::getpriority(PRIO_PROCESS, 0));
}

std::string InheritedHandles() {
  DIR* dir = ::opendir("/proc/self/fd");
  const int own = dir ? ::dirfd(dir) : -1;
  std::string list;
  while (dirent* e = dir ? ::readdir(dir) : nullptr) {
    if (e->d_name[0] == '.') continue;
    const int fd = std::atoi(e->d_name);
    if (fd > 2 && fd != own) list += std::to_string(fd) + " ";
  }
  if (dir) ::closedir(dir);
  return list;
}

std::string ReadInherited(const std::string& handle) {
  char buffer[32];
  const ssize_t n = ::pread(std::atoi(handle.c_str()), buffer, sizeof buffer, 0);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace ratemill::test::child
