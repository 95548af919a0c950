// The runner on Windows against a real child: the converter stand-in, built
// for Windows with the tests, started through CreateProcessW with pipes and
// watched by the runner's threads, pumped through the plain main-thread
// queue as the main thread would.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "ChildControl.h"
#include "TempDir.h"
#include "WavFixture.h"
#include "platform/CommandLine.h"
#include "platform/ErrorHandling.h"
#include "platform/Errors.h"
#include "platform/PlainMainThreadQueue.h"
#include "platform/ProcessServices.h"
#include "process/ProcessRunner.h"

extern char** _environ;

namespace ratemill {
namespace {

using O = TConsoleOption;

// Our environment with the stand-in's knobs added: a Windows program needs
// the system's own variables to start at all.
std::vector<std::string> EnvironmentWith(const std::vector<std::string>& extra) {
  std::vector<std::string> environment;
  for (char** entry = _environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("RATEMILL_TC_", 0) != 0) environment.emplace_back(*entry);
  }
  environment.insert(environment.end(), extra.begin(), extra.end());
  return environment;
}

struct TRunCase {
  const char* Name;
  std::vector<std::string> Knobs;
  std::uint32_t ExitCode;
  const char* OutputHas;  // in some output line
  const char* ErrorHas;   // in some error line; empty: no error lines at all
  bool OutputWritten;
};

const TRunCase kRunCases[] = {
    {"converts", {}, 0, "100% processed", "", true},
    {"fails midway", {"RATEMILL_TC_FAIL_AT=50"}, 255, "40% processed", "50", false},
    {"reports on stderr and goes on", {"RATEMILL_TC_STDERR_LINES=warn one\nwarn two"}, 0, "done", "warn two", true},
};

class WinRunner : public ::testing::TestWithParam<TRunCase> {};

bool AnyHas(const std::vector<std::string>& lines, const std::string& part) {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

TEST_P(WinRunner, CapturesBothStreamsAndTheExitCode) {
  const TRunCase& c = GetParam();
  test::TTempDir temp;
  test::WriteWav(temp / "in.wav", 44100, 16, 2, 44100);
  platform::TPlainMainThreadQueue queue;
  std::vector<std::string> errors;
  platform::SetGlobalErrorHandler(
      [&errors](std::exception_ptr e, const void*) { errors.push_back(platform::ErrorMessage(e)); });

  std::vector<std::uint32_t> ends;
  {
    TProcessRunner runner(queue);
    runner.SetApplicationName(RATEMILL_TEST_CONVERTER);
    runner.SetCommandLine(platform::QuoteArgument(RATEMILL_TEST_CONVERTER) + " --rate 48000 --bits 24 " +
                          platform::QuoteArgument(temp / "in.wav") + " " + platform::QuoteArgument(temp / "out.wav"));
    runner.SetEnvironment(EnvironmentWith(c.Knobs));
    runner.SetConsoleOptions({O::coRedirect, O::coSeparateError});
    runner.SetKeepLines(true);
    runner.SetOnTerminate([&ends](TProcessRunner&, std::uint32_t code) { ends.push_back(code); });
    runner.Run();
    queue.ProcessUntil([&runner] { return runner.State() != TRunnerState::rsWaiting; });

    EXPECT_EQ(runner.State(), TRunnerState::rsReady);
    EXPECT_EQ(runner.ExitCode(), c.ExitCode);
    EXPECT_TRUE(AnyHas(runner.OutputLines(), c.OutputHas)) << c.Name;
    if (*c.ErrorHas == '\0') {
      EXPECT_TRUE(runner.ErrorLines().empty() ||
                  (runner.ErrorLines().size() == 1 && runner.ErrorLines().front().empty()))
          << c.Name;
    } else {
      EXPECT_TRUE(AnyHas(runner.ErrorLines(), c.ErrorHas)) << c.Name;
    }
  }
  platform::WaitForChildrenCollected();
  platform::SetGlobalErrorHandler(nullptr);

  EXPECT_EQ(ends, std::vector<std::uint32_t>{c.ExitCode});
  EXPECT_TRUE(errors.empty()) << errors.front();
  const auto format = test::ReadWavFormat(temp / "out.wav");
  EXPECT_EQ(format.has_value() && format->Rate == 48000 && format->Bits == 24, c.OutputWritten) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Cases, WinRunner, ::testing::ValuesIn(kRunCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

TEST(WinRunnerStart, MissingProgramIsReportedByRun) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  runner.SetApplicationName("C:\\no such folder\\ssrc.exe");
  runner.SetCommandLine(" in.wav out.wav");
  runner.SetConsoleOptions({O::coRedirect, O::coSeparateError});
  EXPECT_THROW(runner.Run(), platform::ESystemError);
  EXPECT_EQ(runner.State(), TRunnerState::rsReady);
}

// Ending a child on Windows: there is no polite signal for a console program
// without a window (a Ctrl+Break reaches only processes on our own console,
// and the converter runs on a hidden one of its own), so such a child is
// ended at once, whatever the grace, with exit code 1. A child whose end has
// already come keeps its own exit code.
class WinTermination : public ::testing::Test {
 protected:
  void SetUp() override {
    Runner.SetApplicationName(RATEMILL_TEST_CHILD);
    Runner.SetConsoleOptions({O::coRedirect, O::coSeparateError});
    Runner.SetOnRawRead([this](TProcessRunner&, const std::string& s) { Output += s; });
    Runner.SetOnTerminate([this](TProcessRunner&, std::uint32_t code) { Ends.push_back(code); });
  }
  void TearDown() override { platform::WaitForChildrenCollected(); }

  void PumpUntilReady() {
    Queue.ProcessUntil([this] { return Runner.State() != TRunnerState::rsWaiting; });
  }

  test::TTempDir Temp;
  platform::TPlainMainThreadQueue Queue;
  TProcessRunner Runner{Queue};
  std::string Output;
  std::vector<std::uint32_t> Ends;
};

TEST_F(WinTermination, AConsoleChildThatWaitsForeverEndsAtOnceDespiteALongGrace) {
  // The gate is never released: only the termination can end this child, and
  // a grace that were waited out would outlast the test's time limit.
  const test::TChildGate gate(Temp / "never");
  Runner.SetCommandLine("child out:started \"wait:" + gate.Path() + "\" out:released");
  Runner.Run();
  Queue.ProcessUntil([this] { return Output == "started"; });
  const std::uint32_t pid = Runner.ProcessId();
  ASSERT_NE(Runner.Process(), nullptr);
  Runner.Process()->Terminate(std::chrono::hours(1));
  PumpUntilReady();
  EXPECT_EQ(Ends, std::vector<std::uint32_t>{1});
  EXPECT_EQ(Output, "started");
  EXPECT_TRUE(test::ProcessEnded(pid));
}

TEST_F(WinTermination, AChildThatHasAlreadyEndedKeepsItsExitCode) {
  Runner.SetCommandLine("child out:done exit:7");
  Runner.Run();
  // Both readers and the watcher have seen the end; the run is not completed.
  Queue.WaitForHandOvers(3);
  ASSERT_NE(Runner.Process(), nullptr);
  Runner.Process()->Terminate(std::chrono::milliseconds(0));
  PumpUntilReady();
  EXPECT_EQ(Ends, std::vector<std::uint32_t>{7});
  EXPECT_EQ(Output, "done");
}

TEST_F(WinTermination, AGrandchildHoldingThePipeOutlivesTheEndedChild) {
  // Only the child is ended; what it started goes on, as with TerminateProcess
  // anywhere, and keeps the run waiting until it lets go of the pipe.
  const test::TChildGate child(Temp / "child");
  const test::TChildGate grandchild(Temp / "grandchild");
  Runner.SetCommandLine("child \"grandchild:" + grandchild.Path() + "\" out:started \"wait:" + child.Path() + "\"");
  Runner.Run();
  Queue.ProcessUntil([this] { return Output == "started"; });
  Runner.Process()->Terminate(std::chrono::hours(1));
  Queue.ProcessUntil([this] { return Runner.PendingCompletions() == 2; });  // the watcher's is in
  EXPECT_EQ(Runner.State(), TRunnerState::rsWaiting);
  grandchild.Release();
  PumpUntilReady();
  EXPECT_EQ(Ends, std::vector<std::uint32_t>{1});
  EXPECT_EQ(Output, "startedlate\n");
}

}  // namespace
}  // namespace ratemill
