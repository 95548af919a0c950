#pragma once

#include <string>

namespace ratemill::crash {

// What a crash report tells besides the crash itself, fixed at installation
// because a dying program can no longer ask for it.
struct TFatalReportSetup {
  std::string PendingReportFile;  // where the report goes; replaced by each crash
  std::string Version;
  std::string OperatingSystem;
  std::string ToolkitVersion;
  std::string SettingsFile;  // its content at the moment of the crash is quoted
};

// Catches the program's real crashes: the fault signals SIGSEGV, SIGBUS,
// SIGFPE, SIGILL and SIGABRT, and `std::terminate`. The handler writes a
// report with a stack trace to the pending-report file using only
// async-signal-safe calls, then lets the signal's default action end the
// program, so that the exit status and a core dump are those of the crash.
// `std::terminate` notes what was thrown and aborts, which reports as SIGABRT
// with that note. Install once, early, from the main thread; installing again
// replaces the setup.
void InstallFatalHandler(const TFatalReportSetup& setup);

}  // namespace ratemill::crash
