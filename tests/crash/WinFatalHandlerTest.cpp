// Real crashes on Windows: a child program that links the fatal handler dies
// of an access violation, of std::terminate, or of an error nobody catches.
// Its exit code is the crash's, and it leaves a report with the exception's
// code and a stack of addresses in which its crashing function lies; the
// next start offers that report.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "ScriptedServices.h"
#include "TempDir.h"
#include "crash/CrashReport.h"
#include "crash/CrashReporter.h"
#include "platform/FileSystem.h"

namespace ratemill::crash {
namespace {

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

struct TCrashRun {
  DWORD ExitCode = 0;
  std::string Output;  // standard output and error
};

// Runs the crash child with its output in a file and waits for its end.
TCrashRun RunCrashChild(const test::TTempDir& dir, const std::string& mode) {
  TCrashRun run;
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE output = ::CreateFileW(Wide(dir / "output.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(output, INVALID_HANDLE_VALUE);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::wstring commandLine = L"\"" + Wide(RATEMILL_TEST_CRASH_CHILD) + L"\" \"" + Wide(dir / "bugreport-pending.txt") +
                             L"\" \"" + Wide(dir / "Ratemill.ini") + L"\" " + Wide(mode);
  PROCESS_INFORMATION child{};
  const BOOL started =
      ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child);
  ::CloseHandle(output);
  EXPECT_TRUE(started) << ::GetLastError();
  if (!started) return run;
  ::WaitForSingleObject(child.hProcess, INFINITE);
  ::GetExitCodeProcess(child.hProcess, &run.ExitCode);
  ::CloseHandle(child.hThread);
  ::CloseHandle(child.hProcess);
  run.Output = test::ReadFile(dir / "output.txt");
  return run;
}

// The "NAME +0xOFFSET" lines the child prints before it crashes.
std::map<std::uint64_t, std::string> FunctionStarts(const std::string& output) {
  std::map<std::uint64_t, std::string> starts;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find(" +0x");
    if (at != std::string::npos && line.rfind("RatemillCrashChild", 0) == 0)
      starts[std::strtoull(line.c_str() + at + 4, nullptr, 16)] = line.substr(0, at);
  }
  return starts;
}

// The functions of the child that the report's stack frames lie in: each
// frame "...ratemill_test_crash_child.exe(+0xOFFSET) [0xADDRESS]" is given to
// the nearest printed function start below it, when that is close enough to
// be inside so small a function.
std::vector<std::string> FunctionsOnTheStack(const std::string& report,
                                             const std::map<std::uint64_t, std::string>& starts) {
  std::vector<std::string> found;
  std::istringstream lines(report.substr(report.find("Stack:\n")));
  for (std::string line; std::getline(lines, line);) {
    const std::size_t at = line.find("ratemill_test_crash_child.exe(+0x");
    if (at == std::string::npos) continue;
    const std::uint64_t offset = std::strtoull(line.c_str() + at + 33, nullptr, 16);
    auto next = starts.upper_bound(offset);
    if (next == starts.begin()) continue;
    --next;
    if (offset - next->first < 0x100) found.push_back(next->second);
  }
  return found;
}

struct TCrashCase {
  const char* Mode;
  DWORD ExitCode;
  const char* ErrorType;
  const char* Message;
  const char* Origin;
  const char* Function;  // the function that failed
};

const TCrashCase kCrashCases[] = {
    {"segv", EXCEPTION_ACCESS_VIOLATION, "Fehlertyp: EXCEPTION_ACCESS_VIOLATION\n",
     "Meldung: Das Programm ist abgestürzt (EXCEPTION_ACCESS_VIOLATION an Adresse 0x0)\n",
     "Herkunft: Ausnahme 0xc0000005\n", "RatemillCrashChildSegfault"},
    {"terminate", 3, "Fehlertyp: std::terminate\n",
     "Meldung: std::terminate wurde aufgerufen: std::runtime_error: Abbruch im Kindprogramm\n",
     "Herkunft: std::terminate\n", "RatemillCrashChildThrow"},
    {"throw", 3, "Fehlertyp: std::terminate\n",
     "Meldung: std::terminate wurde aufgerufen: std::runtime_error: Niemand fängt das\n", "Herkunft: std::terminate\n",
     "RatemillCrashChildThrowFromMain"},
};

void PrintTo(const TCrashCase& c, std::ostream* os) { *os << c.Mode; }

class WinFatalHandler : public ::testing::TestWithParam<TCrashCase> {};

TEST_P(WinFatalHandler, ACrashEndsWithItsCodeAndLeavesAReportWithTheFailingFunctionsAddress) {
  const TCrashCase& c = GetParam();
  test::TTempDir dir;
  test::WriteFile(dir / "Ratemill.ini", "[Einstellungen]\nSamplerate=3\n");
  const TCrashRun run = RunCrashChild(dir, c.Mode);

  EXPECT_EQ(run.ExitCode, c.ExitCode) << run.Output;
  std::string type = c.ErrorType + std::strlen("Fehlertyp: ");
  type.pop_back();
  EXPECT_NE(run.Output.find("Ratemill: abgestürzt (" + type + "), Bericht in " + (dir / "bugreport-pending.txt")),
            std::string::npos)
      << run.Output;
  const auto report = platform::ReadWholeFile(dir / "bugreport-pending.txt");
  ASSERT_TRUE(report.has_value()) << run.Output;
  EXPECT_EQ(report->rfind(std::string(kReportMarker) + "\nZeit: ", 0), 0u) << *report;
  for (const char* part : {"Programmversion: 9.8.7.6\n", c.ErrorType, c.Message, c.Origin, "Thread: Hauptthread",
                           "Einstellungsdatei:\n  [Einstellungen]\n  Samplerate=3\n"}) {
    EXPECT_NE(report->find(part), std::string::npos) << part << "\nin:\n" << *report;
  }
  ASSERT_NE(report->find("Stack:\n"), std::string::npos) << *report;
  const auto starts = FunctionStarts(run.Output);
  ASSERT_EQ(starts.size(), 4u) << run.Output;
  const std::vector<std::string> functions = FunctionsOnTheStack(*report, starts);
  EXPECT_NE(std::find(functions.begin(), functions.end(), c.Function), functions.end()) << *report << run.Output;
  // Every frame names a module and an address inside it; the walk ends with
  // the stack instead of running on into what lies beyond it.
  std::istringstream frames(report->substr(report->find("Stack:\n") + 7));
  for (std::string line; std::getline(frames, line) && line.rfind("  ", 0) == 0;) {
    EXPECT_NE(line.find("(+0x"), std::string::npos) << line;
    EXPECT_EQ(line.find("[0x0]"), std::string::npos) << line;
  }
  // Whole and alone: read back, it is one report.
  EXPECT_EQ(SplitReports(*report).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, WinFatalHandler, ::testing::ValuesIn(kCrashCases),
                         [](const auto& info) { return std::string(info.param.Mode); });

TEST(WinFatalHandlerExit, AProgramThatDoesNotCrashLeavesNoReport) {
  test::TTempDir dir;
  EXPECT_EQ(RunCrashChild(dir, "exit").ExitCode, 0u);
  EXPECT_FALSE(platform::FileExists(dir / "bugreport-pending.txt"));
}

TEST(WinFatalHandlerExit, TheNextStartOffersTheCrashOnceAndKeepsIt) {
  test::TTempDir dir;
  ASSERT_EQ(RunCrashChild(dir, "segv").ExitCode, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
  TCrashReportSetup setup;
  setup.ReportFolder = dir.Path();
  test::TScriptedReportWindow window;
  test::TRecordingShell shell;
  test::TRecordingProgramStarter starter;
  test::TScriptedMessageBoxes boxes;
  TCrashReporter reporter(setup, window, shell, starter, boxes);
  window.Answer(platform::TReportAnswer::Continue);

  EXPECT_TRUE(reporter.ShowPendingReport());
  ASSERT_EQ(window.Shown.size(), 1u);
  EXPECT_TRUE(window.Shown[0].PreviousRun);
  EXPECT_EQ(window.Shown[0].Message,
            "Ratemill wurde beim letzten Mal unerwartet beendet.\n"
            "Das Programm ist abgestürzt (EXCEPTION_ACCESS_VIOLATION an Adresse 0x0)");
  const auto reports = SplitReports(platform::ReadWholeFile(dir / "bugreport.txt").value_or(""));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], window.Shown[0].Report);
  EXPECT_FALSE(platform::FileExists(dir / "bugreport-pending.txt"));
  EXPECT_FALSE(reporter.ShowPendingReport());
}

}  // namespace
}  // namespace ratemill::crash
