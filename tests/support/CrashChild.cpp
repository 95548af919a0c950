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
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "crash/FatalHandler.h"

// Read through `volatile`, so the compiler cannot see the null pointer and
// turn the write into a trap instruction of its own.
int* volatile gNowhere = nullptr;

extern "C" [[gnu::noinline]] void RatemillCrashChildSegfault() {
  *gNowhere = 42;
  std::puts("not reached");
}

[[gnu::noinline]] void RatemillCrashChildThrow() { throw std::runtime_error("Abbruch im Kindprogramm"); }

extern "C" [[gnu::noinline]] void RatemillCrashChildTerminate() noexcept {
  RatemillCrashChildThrow();
  std::puts("not reached");
}

int main(int argc, char** argv) {
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
