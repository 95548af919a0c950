// A child program for the crash tests: it installs the program's fatal
// handler and then crashes as told.
//   ratemill_test_crash_child PENDING SETTINGS MODE
// PENDING is the pending-report file, SETTINGS the settings file to quote,
// MODE one of:
//   segv       write through a null pointer (SIGSEGV)
//   terminate  let an error escape a noexcept function (std::terminate)
//   exit       end normally with 0, leaving no report
// The crashing functions have external names, so that the program's exported
// symbols name them in the stack trace.
//
// Without arguments it stands in for a restarted program instead: it writes
// its working folder, whether it leads a session of its own, and its open
// descriptors above 2 into the FIFO named by RATEMILL_CRASH_CHILD_REPORT.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "crash/FatalHandler.h"

// Read through `volatile`, so the compiler cannot see the null pointer and
// turn the write into a trap instruction of its own.
int* volatile gNowhere = nullptr;

// The sanitizer build would stop at the null write itself; the fault is the
// point here.
extern "C" [[gnu::noinline, gnu::no_sanitize("undefined")]] void RatemillCrashChildSegfault() {
  *gNowhere = 42;
  std::puts("not reached");
}

[[gnu::noinline]] void RatemillCrashChildThrow() { throw std::runtime_error("Abbruch im Kindprogramm"); }

extern "C" [[gnu::noinline]] void RatemillCrashChildTerminate() noexcept {
  RatemillCrashChildThrow();
  std::puts("not reached");
}

namespace {

int ReportHowIWasStarted() {
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

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return ReportHowIWasStarted();
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s PENDING SETTINGS segv|terminate|exit\n", argv[0]);
    return 2;
  }
  // The crash is the test's subject; a core file in its folder is not.
  const struct rlimit noCore = {0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);

  ratemill::crash::TFatalReportSetup setup;
  setup.PendingReportFile = argv[1];
  setup.SettingsFile = argv[2];
  setup.Version = "9.8.7.6";
  setup.OperatingSystem = "Testsystem";
  setup.ToolkitVersion = "keine";
  ratemill::crash::InstallFatalHandler(setup);

  if (std::strcmp(argv[3], "segv") == 0) RatemillCrashChildSegfault();
  if (std::strcmp(argv[3], "terminate") == 0) RatemillCrashChildTerminate();
  return 0;
}
