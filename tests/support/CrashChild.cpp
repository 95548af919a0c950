// A child program for the crash tests: it installs the program's fatal
// handler and then crashes as told.
//   ratemill_test_crash_child PENDING SETTINGS MODE
// PENDING is the pending-report file, SETTINGS the settings file to quote,
// MODE one of:
//   segv       write through a null pointer (SIGSEGV; an access violation
//              on Windows)
//   terminate  let an error escape a noexcept function (std::terminate)
//   throw      let an error escape main, where nobody catches it
//   exit       end normally with 0, leaving no report
// The crashing functions have external names, so that the program's exported
// symbols name them in the stack trace.
//
// Before the crash it prints where its crashing functions lie, as
// "NAME +0xOFFSET" lines relative to its own image, so that a test can find
// them in a report that carries addresses only.
//
// With at most one argument it stands in for a restarted program instead
// (CrashChild_*.cpp): it writes its working folder and what it inherited into
// the FIFO or pipe named by RATEMILL_CRASH_CHILD_REPORT.
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "CrashChild.h"
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

[[gnu::noinline]] void RatemillCrashChildThrowFromMain() { throw std::runtime_error("Niemand fängt das"); }

namespace {

void PrintWhere(const char* name, const void* function, const void* image) {
  std::printf(
      "%s +0x%llx\n", name,
      static_cast<unsigned long long>(reinterpret_cast<const char*>(function) - reinterpret_cast<const char*>(image)));
}

}  // namespace

int main(int argc, char** argv) {
  namespace child = ratemill::test::crash_child;
  if (argc <= 2) return child::ReportHowIWasStarted(argc, argv);
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s PENDING SETTINGS segv|terminate|throw|exit\n", argv[0]);
    return 2;
  }
  // The crash is the test's subject; a core file or dialog of it is not.
  child::SuppressCrashLeftovers();

  ratemill::crash::TFatalReportSetup setup;
  setup.PendingReportFile = argv[1];
  setup.SettingsFile = argv[2];
  setup.Version = "9.8.7.6";
  setup.OperatingSystem = "Testsystem";
  setup.ToolkitVersion = "keine";
  ratemill::crash::InstallFatalHandler(setup);

  const void* image = child::ImageBase();
  PrintWhere("RatemillCrashChildSegfault", reinterpret_cast<const void*>(&RatemillCrashChildSegfault), image);
  PrintWhere("RatemillCrashChildThrow", reinterpret_cast<const void*>(&RatemillCrashChildThrow), image);
  PrintWhere("RatemillCrashChildTerminate", reinterpret_cast<const void*>(&RatemillCrashChildTerminate), image);
  PrintWhere("RatemillCrashChildThrowFromMain", reinterpret_cast<const void*>(&RatemillCrashChildThrowFromMain), image);
  std::fflush(stdout);

  if (std::strcmp(argv[3], "segv") == 0) RatemillCrashChildSegfault();
  if (std::strcmp(argv[3], "terminate") == 0) RatemillCrashChildTerminate();
  if (std::strcmp(argv[3], "throw") == 0) RatemillCrashChildThrowFromMain();
  return 0;
}
