#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "CrashChild.h"

namespace ratemill::test::crash_child {

void SuppressCrashLeftovers() {
  const struct rlimit noCore = {0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);
}

const void* ImageBase() {
  Dl_info info{};
  return ::dladdr(reinterpret_cast<const void*>(&ImageBase), &info) != 0 ? info.dli_fbase : nullptr;
}

// Writes its working folder, whether it leads a session of its own, and its
// open descriptors above 2.
int ReportHowIWasStarted(int, char**) {
  const char* report = std::getenv("RATEMILL_CRASH_CHILD_REPORT");
  if (!report) return 2;
  std::string text;
  char folder[4096];
  text += ::getcwd(folder, sizeof folder) ? folder : "?";
  text += ::getsid(0) == ::getpid() ? "\nsession leader\n" : "\nin the starter's session\n";
  // Listed before the report is opened, so that it does not list itself.
  if (DIR* fds = ::opendir("/proc/self/fd")) {
    const int listing = ::dirfd(fds);
    while (const dirent* entry = ::readdir(fds)) {
      const int fd = std::atoi(entry->d_name);
      if (entry->d_name[0] != '.' && fd > 2 && fd != listing) text += "fd " + std::to_string(fd) + "\n";
    }
    ::closedir(fds);
  }
  const int out = ::open(report, O_WRONLY | O_CLOEXEC);
  if (out < 0) return 3;
  const bool written = ::write(out, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  ::close(out);
  return written ? 0 : 3;
}

}  // namespace ratemill::test::crash_child
