// Real crashes: a child program that links the fatal handler dies of a fault
// signal or of std::terminate; its end is that signal's, it leaves a report
// naming the crashing function, and the next start offers and keeps it.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "ScriptedServices.h"
#include "TempDir.h"
#include "crash/CrashReport.h"
#include "crash/CrashReporter.h"
#include "platform/FileSystem.h"

extern char** environ;

namespace ratemill::crash {
namespace {

// Runs the crash child and returns its wait status.
int RunCrashChild(const std::string& pending, const std::string& settings, const std::string& mode) {
  std::vector<std::string> args{RATEMILL_TEST_CRASH_CHILD, pending, settings, mode};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  EXPECT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid);
  return status;
}

struct TCrashCase {
  const char* Mode;
  int Signal;
  const char* ErrorType;
  const char* Message;
  const char* Function;  // the function that failed
};

const TCrashCase kCrashCases[] = {
    {"segv", SIGSEGV, "Fehlertyp: SIGSEGV\n", "Meldung: Das Programm ist abgestürzt (SIGSEGV an Adresse 0x0)\n",
     "RatemillCrashChildSegfault"},
    {"terminate", SIGABRT, "Fehlertyp: std::terminate\n",
     "Meldung: std::terminate wurde aufgerufen: std::runtime_error: Abbruch im Kindprogramm\n",
     "RatemillCrashChildThrow"},
};

TEST(FatalHandler, ACrashEndsByItsSignalAndLeavesAReportNamingTheFunction) {
  for (const auto& c : kCrashCases) {
    test::TTempDir dir;
    test::WriteFile(dir / "Ratemill.ini", "[Einstellungen]\nSamplerate=3\n");
    const int status = RunCrashChild(dir / "bugreport-pending.txt", dir / "Ratemill.ini", c.Mode);

    ASSERT_TRUE(WIFSIGNALED(status)) << c.Mode << ": status " << status;
    EXPECT_EQ(WTERMSIG(status), c.Signal) << c.Mode;
    const auto report = platform::ReadWholeFile(dir / "bugreport-pending.txt");
    ASSERT_TRUE(report.has_value()) << c.Mode;
    EXPECT_EQ(report->rfind(std::string(kReportMarker) + "\nZeit: ", 0), 0u) << *report;
    for (const char* part : {"Programmversion: 9.8.7.6\n", c.ErrorType, c.Message, "Thread: Hauptthread",
                             "Einstellungsdatei:\n  [Einstellungen]\n  Samplerate=3\n"}) {
      EXPECT_NE(report->find(part), std::string::npos) << c.Mode << ": " << part << "\nin:\n" << *report;
    }
    const std::size_t stack = report->find("Stack:\n");
    ASSERT_NE(stack, std::string::npos);
    EXPECT_NE(report->find(c.Function, stack), std::string::npos) << *report;
    // Whole and alone: read back, it is one report.
    EXPECT_EQ(SplitReports(*report).size(), 1u) << c.Mode;
  }
}

TEST(FatalHandler, AProgramThatDoesNotCrashLeavesNoReport) {
  test::TTempDir dir;
  const int status = RunCrashChild(dir / "bugreport-pending.txt", dir / "Ratemill.ini", "exit");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(platform::FileExists(dir / "bugreport-pending.txt"));
}

TEST(FatalHandler, TheNextStartShowsTheCrashThenKeepsItUnderTheLimit) {
  test::TTempDir dir;
  ASSERT_TRUE(WIFSIGNALED(RunCrashChild(dir / "bugreport-pending.txt", dir / "Ratemill.ini", "segv")));
  // Earlier reports fill the file almost to its limit.
  TReportFacts old;
  old.Message = "alt";
  old.Settings = std::string(32900, 'a');
  std::string earlier;
  for (int i = 0; i < 3; ++i) earlier += FormatReport(old);
  ASSERT_LT(earlier.size(), kReportFileLimit);
  ASSERT_GT(earlier.size(), kReportFileLimit - 1000);
  test::WriteFile(dir / "bugreport.txt", earlier);

  TCrashReportSetup setup;
  setup.ReportFolder = dir.Path();
  test::TScriptedReportWindow window;
  test::TRecordingShell shell;
  test::TRecordingProgramStarter starter;
  test::TScriptedMessageBoxes boxes;
  TCrashReporter reporter(setup, window, shell, starter, boxes);
  // The file is folded in only after the window: while it is open, the
  // pending report is still the only copy.
  struct TCheckingWindow : platform::IReportWindow {
    test::TScriptedReportWindow* Inner;
    std::string Folder;
    bool PendingWhileShown = false;
    platform::TReportAnswer Show(const platform::TReportRequest& request) override {
      PendingWhileShown = platform::FileExists(Folder + "bugreport-pending.txt");
      return Inner->Show(request);
    }
  } checking;
  checking.Inner = &window;
  checking.Folder = dir.Path();
  TCrashReporter startingReporter(setup, checking, shell, starter, boxes);
  window.Answer(platform::TReportAnswer::Continue);

  EXPECT_TRUE(startingReporter.ShowPendingReport());

  ASSERT_EQ(window.Shown.size(), 1u);
  const auto& shown = window.Shown[0];
  EXPECT_TRUE(shown.PreviousRun);
  EXPECT_TRUE(checking.PendingWhileShown);
  EXPECT_EQ(shown.Message,
            "Ratemill wurde beim letzten Mal unerwartet beendet.\n"
            "Das Programm ist abgestürzt (SIGSEGV an Adresse 0x0)");
  EXPECT_NE(shown.Report.find("RatemillCrashChildSegfault"), std::string::npos);

  const std::string file = platform::ReadWholeFile(dir / "bugreport.txt").value_or("");
  EXPECT_LE(file.size(), kReportFileLimit);
  const auto reports = SplitReports(file);
  ASSERT_EQ(reports.size(), 3u);  // the oldest made room
  EXPECT_EQ(reports.back(), shown.Report);
  EXPECT_FALSE(platform::FileExists(dir / "bugreport-pending.txt"));
  EXPECT_TRUE(boxes.Shown().empty());

  // Offered once: the start after that has nothing to show.
  EXPECT_FALSE(reporter.ShowPendingReport());
  EXPECT_EQ(window.Shown.size(), 1u);
}

}  // namespace
}  // namespace ratemill::crash
