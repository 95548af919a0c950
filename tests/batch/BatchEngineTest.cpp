// The engine against the converter stand-in as a real child program, pumped
// through the plain main-thread queue as the main thread would.
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ScopedEnvironment.h"
#include "TempDir.h"
#include "WavFixture.h"
#include "batch/BatchEngine.h"
#include "batch/WholeOutput.h"
#include "platform/PlainMainThreadQueue.h"

namespace ratemill {
namespace {

using namespace std::chrono_literals;

const std::string kConverter = RATEMILL_TEST_CONVERTER;
// Whether the system tells a converter's end by a signal apart from its exit
// code; where it does not, a killed converter is a failed one by its code.
constexpr bool kEndsBySignal = RATEMILL_TEST_ENDS_BY_SIGNAL;

// Environment variables for the converters of one test; the old values come back.
class TConverterEnvironment : public test::TScopedEnvironment {
 public:
  TConverterEnvironment() {
    for (const char* name :
         {"RATEMILL_TC_SLEEP_MS", "RATEMILL_TC_PROGRESS_STEPS", "RATEMILL_TC_EXIT_CODE", "RATEMILL_TC_OUTPUT",
          "RATEMILL_TC_SIGNAL", "RATEMILL_TC_MATCH", "RATEMILL_TC_TIMES", "RATEMILL_TC_IGNORE_TERM",
          "RATEMILL_TC_STDERR_LINES", "RATEMILL_TC_RECORD", "RATEMILL_TC_FAIL_AT", "RATEMILL_TC_WRITE_RATE",
          "RATEMILL_TC_WRITE_BITS", "RATEMILL_TC_RULES"}) {
      Unset(name);
    }
    Set("RATEMILL_TC_PROGRESS_STEPS", "2");
  }
};

// Everything the engine tells, in order, with the number of converters
// running at each moment as the engine saw it.
class TRecordingObserver : public IBatchObserver {
 public:
  void JobStarting(std::size_t index, const TBatchJob&) override {
    Events.push_back("start " + std::to_string(index));
    Started.push_back(index);
    MaxRunning = std::max(MaxRunning, ++Running);
    if (OnStarting) OnStarting(index);
  }
  void JobStartFailed(std::size_t index, const TBatchJob&, const std::string& message) override {
    Events.push_back("failed " + std::to_string(index));
    --Running;
    FailMessage = message;
  }
  void JobOutput(std::size_t index, const std::string& s, bool startsOnNewLine) override {
    Apply(Output[index], s, startsOnNewLine);
    if (OnOutput) OnOutput(index, s);
  }
  void JobErrorOutput(std::size_t index, const std::string& s, bool startsOnNewLine) override {
    Apply(Error[index], s, startsOnNewLine);
  }
  void JobEnded(std::size_t index, const TBatchJob&, const TJobResult& result) override {
    Events.push_back("end " + std::to_string(index));
    --Running;
    Results[index] = result;
  }

  std::vector<std::string> Events;
  std::vector<std::size_t> Started;
  int Running = 0;
  int MaxRunning = 0;
  std::string FailMessage;
  std::map<std::size_t, std::vector<std::string>> Output, Error;
  std::map<std::size_t, TJobResult> Results;
  std::function<void(std::size_t)> OnStarting;
  std::function<void(std::size_t, const std::string&)> OnOutput;

 private:
  static void Apply(std::vector<std::string>& lines, const std::string& s, bool startsOnNewLine) {
    if (startsOnNewLine || lines.empty())
      lines.push_back(s);
    else
      lines.back() = s;
  }
};

struct TSpan {
  std::int64_t Start = 0, End = 0;
  std::string Source;
};

// Sources, outputs and the engine's pump, in a folder of the test's own.
class BatchEngine : public ::testing::Test {
 protected:
  std::string Source(const std::string& name) {
    const std::string path = Dir / name;
    if (!std::filesystem::exists(path)) test::WriteWav(path, 44100, 16, 2, 441);
    return path;
  }

  // A job converting `source` into `output` through a temporary file, as a
  // capture-mode run plans it.
  TBatchJob Job(const std::string& source, const std::string& output) {
    TBatchJob job;
    job.Source = source;
    job.Output = output;
    job.TempOutput = TempOutputName(output, static_cast<std::uint32_t>(::getpid()), ++FNumber);
    job.ApplicationName = kConverter;
    job.CommandLine = " --rate 48000 --bits 24 \"" + source + "\" \"" + job.TempOutput + "\"";
    job.Title = "test";
    job.Chosen = {48000, 24};
    job.Named = {48000, 24};
    return job;
  }

  void Run(TBatchEngine& engine, std::vector<TBatchJob> jobs) {
    engine.Start(std::move(jobs));
    while (engine.Pump()) Queue.WaitAndProcess();
  }

  void RunJobs(std::vector<TBatchJob> jobs, int maxJobs) {
    TBatchEngine engine(Queue, Observer, TRunnerSetup{}, maxJobs);
    Run(engine, std::move(jobs));
  }

  // The names in the output folder, sorted: shows any temporary file left.
  std::vector<std::string> OutputNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Out.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<TSpan> Spans() const {
    std::vector<TSpan> spans;
    std::istringstream in(test::ReadFile(Times));
    for (TSpan span; in >> span.Start >> span.End >> span.Source;) spans.push_back(span);
    return spans;
  }

  test::TTempDir Dir;
  test::TTempDir Out;
  test::TTempDir Scratch;
  std::string Times = Scratch / "times.txt";
  TConverterEnvironment Env;
  platform::TPlainMainThreadQueue Queue;
  TRecordingObserver Observer;

 private:
  std::size_t FNumber = 0;
};

TEST_F(BatchEngine, StartsInListOrderAndNeverMoreThanNAtOnce) {
  for (int maxJobs : {1, 2, 3}) {
    SCOPED_TRACE(maxJobs);
    Observer = TRecordingObserver{};
    Env.Set("RATEMILL_TC_SLEEP_MS", "150");
    Env.Set("RATEMILL_TC_TIMES", Times);
    std::filesystem::remove(Times);
    std::vector<TBatchJob> jobs;
    std::vector<std::string> expected;
    for (char name = 'a'; name < 'g'; ++name) {
      const std::string base(1, name);
      jobs.push_back(Job(Source(base + ".wav"), Out / (base + "_48-24.wav")));
      expected.push_back(base + "_48-24.wav");
    }
    RunJobs(jobs, maxJobs);

    EXPECT_EQ(Observer.Started, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Observer.MaxRunning, maxJobs);
    // The converters' own clocks agree: never more than N at once.
    const std::vector<TSpan> spans = Spans();
    ASSERT_EQ(spans.size(), 6u);
    for (const TSpan& span : spans) {
      const auto overlapping = std::count_if(spans.begin(), spans.end(), [&](const TSpan& other) {
        return other.Start <= span.Start && span.Start < other.End;
      });
      EXPECT_LE(overlapping, maxJobs) << span.Source;
    }
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      EXPECT_TRUE(Observer.Results[i].Accepted) << Observer.Results[i].Reason;
      const auto format = test::ReadWavFormat(jobs[i].Output);
      ASSERT_TRUE(format.has_value());
      EXPECT_EQ(format->Rate, 48000u);
    }
    EXPECT_EQ(OutputNames(), expected);
    for (const std::string& name : expected) std::filesystem::remove(Out / name);
  }
}

TEST_F(BatchEngine, EveryLineOfEveryJobReachesTheObserver) {
  Env.Set("RATEMILL_TC_STDERR_LINES", "warning\nsecond");
  RunJobs({Job(Source("a.wav"), Out / "a.wav"), Job(Source("b.wav"), Out / "b.wav")}, 2);

  for (std::size_t i : {0u, 1u}) {
    SCOPED_TRACE(i);
    const std::vector<std::string>& out = Observer.Output[i];
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.front(), "Ratemill test converter 1.0 (stand-in for ssrc)");
    EXPECT_NE(std::find(out.begin(), out.end(), "Source file : " + (Dir / (i == 0 ? "a.wav" : "b.wav"))), out.end());
    EXPECT_EQ(Observer.Error[i], (std::vector<std::string>{"warning", "second", ""}));
  }
}

TEST_F(BatchEngine, AFailingJobDoesNotStopTheOthers) {
  Env.Set("RATEMILL_TC_MATCH", "b.wav");
  Env.Set("RATEMILL_TC_EXIT_CODE", "3");
  const std::string outB = Out / "b_48-24.wav";
  test::WriteFile(outB, "earlier output");
  std::vector<TBatchJob> jobs{Job(Source("a.wav"), Out / "a_48-24.wav"), Job(Source("b.wav"), outB),
                              Job(Source("c.wav"), Out / "c_48-24.wav"), Job(Source("d.wav"), Out / "d_48-24.wav")};
  RunJobs(jobs, 2);

  EXPECT_EQ(Observer.Started, (std::vector<std::size_t>{0, 1, 2, 3}));
  for (std::size_t i : {0u, 2u, 3u}) EXPECT_TRUE(Observer.Results[i].Accepted) << i;
  EXPECT_FALSE(Observer.Results[1].Accepted);
  EXPECT_EQ(Observer.Results[1].ExitCode, 3u);
  EXPECT_NE(Observer.Results[1].Reason.find("exit code 3"), std::string::npos) << Observer.Results[1].Reason;
  EXPECT_EQ(test::ReadFile(outB), "earlier output");
  EXPECT_EQ(OutputNames(), (std::vector<std::string>{"a_48-24.wav", "b_48-24.wav", "c_48-24.wav", "d_48-24.wav"}));
}

// The verdict on each way a converter can end. A failed output leaves
// neither a file nor a temporary file behind, and an existing output stays as
// it was; an accepted one replaces it.
TEST_F(BatchEngine, EachOutcomeOfAConverterGetsItsVerdict) {
  // The job as planned: rate and bits chosen, or the bits of an 8-bit
  // source kept, or the rate of a 44.1 kHz source kept.
  enum class TPlanned { Chosen, EightBitsKept, RateKept };
  struct TCase {
    std::string Name;
    std::map<std::string, std::string> Knobs;
    TPlanned Planned;
    bool Accepted;
    std::string ReasonPart;   // empty: no reason
    std::string WarningPart;  // empty: no warning
    std::uint32_t ExitCode;
    int Signal;
    std::optional<TWavFormat> Format;
  };
  const std::vector<TCase> cases{
      {"clean success", {}, TPlanned::Chosen, true, "", "", 0, 0, TWavFormat{48000, 24}},
      {"exit code 255", {{"RATEMILL_TC_EXIT_CODE", "255"}}, TPlanned::Chosen, false, "exit code 255", "", 255, 0, {}},
      {"exit code 5 with a whole header written",
       {{"RATEMILL_TC_EXIT_CODE", "5"}},
       TPlanned::Chosen,
       false,
       "exit code 5",
       "",
       5,
       0,
       {}},
      {"failed before writing",
       {{"RATEMILL_TC_FAIL_AT", "50"}},
       TPlanned::Chosen,
       false,
       "exit code 255",
       "",
       255,
       0,
       {}},
      {"killed after writing",
       {{"RATEMILL_TC_SIGNAL", "9"}},
       TPlanned::Chosen,
       false,
       kEndsBySignal ? "the converter was ended by signal 9" : "the converter ended with exit code 137",
       "",
       137,
       kEndsBySignal ? 9 : 0,
       {}},
      {"terminated after writing",
       {{"RATEMILL_TC_SIGNAL", "15"}},
       TPlanned::Chosen,
       false,
       kEndsBySignal ? "the converter was ended by signal 15" : "the converter ended with exit code 143",
       "",
       143,
       kEndsBySignal ? 15 : 0,
       {}},
      {"no output", {{"RATEMILL_TC_OUTPUT", "none"}}, TPlanned::Chosen, false, "wrote no output file", "", 0, 0, {}},
      {"empty output",
       {{"RATEMILL_TC_OUTPUT", "empty"}},
       TPlanned::Chosen,
       false,
       "no readable WAV header",
       "",
       0,
       0,
       {}},
      {"text output",
       {{"RATEMILL_TC_OUTPUT", "text"}},
       TPlanned::Chosen,
       false,
       "no readable WAV header",
       "",
       0,
       0,
       {}},
      {"wrong rate",
       {{"RATEMILL_TC_WRITE_RATE", "44100"}},
       TPlanned::Chosen,
       false,
       "the output has 44100 Hz where 48000 Hz was chosen",
       "",
       0,
       0,
       TWavFormat{44100, 24}},
      {"wrong bits",
       {{"RATEMILL_TC_WRITE_BITS", "16"}},
       TPlanned::Chosen,
       false,
       "the output has 16 bits where 24 bits were chosen",
       "",
       0,
       0,
       TWavFormat{48000, 16}},
      {"error output with exit code 0",
       {{"RATEMILL_TC_STDERR_LINES", "Warning: clipped 3 samples\nsecond"}},
       TPlanned::Chosen,
       true,
       "",
       "the converter wrote to its error output: Warning: clipped 3 samples",
       0,
       0,
       TWavFormat{48000, 24}},
      {"kept bits differing from the name",
       {},
       TPlanned::EightBitsKept,
       true,
       "",
       "the output has 16 bits where its name says 8",
       0,
       0,
       TWavFormat{48000, 16}},
      {"kept rate differing from the name",
       {{"RATEMILL_TC_WRITE_RATE", "32000"}},
       TPlanned::RateKept,
       true,
       "",
       "the output has 32000 Hz where its name says 44 kHz",
       0,
       0,
       TWavFormat{32000, 24}},
      {"kept rate as the name says", {}, TPlanned::RateKept, true, "", "", 0, 0, TWavFormat{44100, 24}},
  };
  for (const TCase& c : cases) {
    for (const bool earlier : {false, true}) {
      SCOPED_TRACE(c.Name + (earlier ? ", over an earlier output" : ""));
      Observer = TRecordingObserver{};
      TConverterEnvironment env;
      for (const auto& [name, value] : c.Knobs) env.Set(name, value);
      TBatchJob job;
      switch (c.Planned) {
        case TPlanned::Chosen: job = Job(Source("a.wav"), Out / "a_48-24.wav"); break;
        case TPlanned::EightBitsKept:
          test::WriteWav(Dir / "eight.wav", 44100, 8, 2, 441);
          job = Job(Dir / "eight.wav", Out / "eight_48-8.wav");
          job.CommandLine = " --rate 48000 \"" + job.Source + "\" \"" + job.TempOutput + "\"";
          job.Chosen = {48000, 0};
          job.Named = {48000, 8};
          break;
        case TPlanned::RateKept:
          job = Job(Source("a.wav"), Out / "a_44-24.wav");
          job.CommandLine = " --bits 24 \"" + job.Source + "\" \"" + job.TempOutput + "\"";
          job.Chosen = {0, 24};
          job.Named = {44100, 24};
          break;
      }
      const std::string outputName = std::filesystem::path(job.Output).filename().string();
      if (earlier) test::WriteFile(job.Output, "earlier output");
      RunJobs({job}, 1);

      ASSERT_EQ(Observer.Results.size(), 1u);
      const TJobResult& result = Observer.Results[0];
      EXPECT_EQ(result.Accepted, c.Accepted) << result.Reason;
      if (c.ReasonPart.empty())
        EXPECT_EQ(result.Reason, "");
      else
        EXPECT_NE(result.Reason.find(c.ReasonPart), std::string::npos) << result.Reason;
      if (c.WarningPart.empty())
        EXPECT_EQ(result.Warning, "");
      else
        EXPECT_NE(result.Warning.find(c.WarningPart), std::string::npos) << result.Warning;
      EXPECT_EQ(result.ExitCode, c.ExitCode);
      EXPECT_EQ(result.Signal, c.Signal);
      ASSERT_EQ(result.Format.has_value(), c.Format.has_value());
      if (c.Format) {
        EXPECT_EQ(result.Format->SampleRate, c.Format->SampleRate);
        EXPECT_EQ(result.Format->BitsPerSample, c.Format->BitsPerSample);
      }
      if (c.Accepted) {
        const auto written = test::ReadWavFormat(job.Output);
        ASSERT_TRUE(written.has_value());
        EXPECT_EQ(static_cast<std::int32_t>(written->Rate), c.Format->SampleRate);
        EXPECT_EQ(OutputNames(), std::vector<std::string>{outputName});
      } else if (earlier) {
        EXPECT_EQ(test::ReadFile(job.Output), "earlier output");
        EXPECT_EQ(OutputNames(), std::vector<std::string>{outputName});
      } else {
        EXPECT_TRUE(OutputNames().empty());
      }
      std::filesystem::remove(job.Output);
    }
  }
}

// The old batch way writes the output itself; its end is taken as it comes,
// and nothing of the output is read back.
TEST_F(BatchEngine, WithoutATemporaryFileTheOutputIsTakenAsWritten) {
  Env.Set("RATEMILL_TC_WRITE_RATE", "44100");
  TBatchJob job = Job(Source("a.wav"), Out / "a_48-24.wav");
  job.TempOutput.clear();
  job.CommandLine = " --rate 48000 --bits 24 \"" + job.Source + "\" \"" + job.Output + "\"";
  RunJobs({job}, 1);
  ASSERT_EQ(Observer.Results.size(), 1u);
  EXPECT_TRUE(Observer.Results[0].Accepted);
  EXPECT_EQ(Observer.Results[0].Reason, "");
  EXPECT_EQ(Observer.Results[0].Warning, "");
  EXPECT_FALSE(Observer.Results[0].Format.has_value());
  EXPECT_EQ(OutputNames(), std::vector<std::string>{"a_48-24.wav"});
}

TEST_F(BatchEngine, AConverterThatWritesNothingLeavesNoOutput) {
  // Fails before it writes anything: no temporary file, no output.
  Env.Set("RATEMILL_TC_FAIL_AT", "50");
  RunJobs({Job(Source("a.wav"), Out / "a_48-24.wav")}, 1);
  EXPECT_FALSE(Observer.Results[0].Accepted);
  EXPECT_NE(Observer.Results[0].Reason.find("exit code 255"), std::string::npos) << Observer.Results[0].Reason;
  EXPECT_TRUE(OutputNames().empty());
}

TEST_F(BatchEngine, CancelWithNRunningLetsThemFinishAndStartsNoMore) {
  Env.Set("RATEMILL_TC_SLEEP_MS", "300");
  std::vector<TBatchJob> jobs;
  for (const char* name : {"a", "b", "c", "d", "e"})
    jobs.push_back(Job(Source(std::string(name) + ".wav"), Out / (std::string(name) + "_48-24.wav")));
  TBatchEngine engine(Queue, Observer, TRunnerSetup{}, 2);
  // The second converter talks: both run now.
  Observer.OnOutput = [&](std::size_t index, const std::string&) {
    if (index == 1 && !engine.CancelRequested()) {
      EXPECT_EQ(engine.CurrentJobs(), (std::vector<std::size_t>{0, 1}));
      engine.Cancel();
    }
  };
  Run(engine, jobs);

  EXPECT_TRUE(engine.CancelRequested());
  EXPECT_EQ(engine.StartedJobs(), 2u);
  EXPECT_EQ(Observer.Started, (std::vector<std::size_t>{0, 1}));
  EXPECT_TRUE(Observer.Results[0].Accepted);
  EXPECT_TRUE(Observer.Results[1].Accepted);
  EXPECT_EQ(OutputNames(), (std::vector<std::string>{"a_48-24.wav", "b_48-24.wav"}));
}

TEST_F(BatchEngine, JobsWithOneOutputNeverRunAtTheSameTime) {
  Env.Set("RATEMILL_TC_SLEEP_MS", "200");
  Env.Set("RATEMILL_TC_TIMES", Times);
  const std::string same = Out / "x.wav";
  std::vector<TBatchJob> jobs{Job(Source("a.wav"), same), Job(Source("b.wav"), Out / "b.wav"),
                              Job(Source("c.wav"), same), Job(Source("d.wav"), Out / "d.wav")};
  RunJobs(jobs, 3);

  // c waits for a to end, and d, behind it in the list, waits with it.
  const auto at = [&](const std::string& event) {
    return std::find(Observer.Events.begin(), Observer.Events.end(), event) - Observer.Events.begin();
  };
  EXPECT_LT(at("end 0"), at("start 2"));
  EXPECT_LT(at("start 1"), at("end 0"));
  EXPECT_LT(at("start 2"), at("start 3"));
  std::map<std::string, TSpan> spans;
  for (const TSpan& span : Spans()) spans[span.Source] = span;
  ASSERT_EQ(spans.size(), 4u);
  EXPECT_LE(spans[Dir / "a.wav"].End, spans[Dir / "c.wav"].Start);
  for (std::size_t i = 0; i < jobs.size(); ++i) EXPECT_TRUE(Observer.Results[i].Accepted) << i;
  EXPECT_EQ(OutputNames(), (std::vector<std::string>{"b.wav", "d.wav", "x.wav"}));
}

// Closing stops running converters at once, also one that ignores the
// request to end, and removes their temporary files.
TEST_F(BatchEngine, CloseStopsRunningConvertersAndLeavesNoTemporaryFile) {
  for (const bool ignoresTerm : {false, true}) {
    SCOPED_TRACE(ignoresTerm);
    Observer = TRecordingObserver{};
    TConverterEnvironment env;
    env.Set("RATEMILL_TC_SLEEP_MS", "60000");
    env.Set("RATEMILL_TC_PROGRESS_STEPS", "600");
    if (ignoresTerm) env.Set("RATEMILL_TC_IGNORE_TERM", "1");
    const std::string outA = Out / "a_48-24.wav";
    test::WriteFile(outA, "earlier output");
    std::vector<TBatchJob> jobs{Job(Source("a.wav"), outA), Job(Source("b.wav"), Out / "b_48-24.wav"),
                                Job(Source("c.wav"), Out / "c_48-24.wav")};
    // Temporary files as a converter that opens its output early leaves them.
    for (const TBatchJob& job : jobs) test::WriteFile(job.TempOutput, "partial");
    TBatchEngine engine(Queue, Observer, TRunnerSetup{}, 2);
    Observer.OnOutput = [&](std::size_t index, const std::string& s) {
      if (index == 1 && s.find("processed") != std::string::npos) engine.Close(200ms);
    };
    Run(engine, jobs);

    EXPECT_EQ(Observer.Started, (std::vector<std::size_t>{0, 1}));
    for (std::size_t i : {0u, 1u}) {
      EXPECT_FALSE(Observer.Results[i].Accepted);
      EXPECT_NE(Observer.Results[i].Reason.find("closing"), std::string::npos) << Observer.Results[i].Reason;
    }
    EXPECT_EQ(test::ReadFile(outA), "earlier output");
    // c never started; its temporary file is what the test put there.
    EXPECT_EQ(OutputNames(),
              (std::vector<std::string>{std::filesystem::path(jobs[2].TempOutput).filename().string(), "a_48-24.wav"}));
    std::filesystem::remove(jobs[2].TempOutput);
  }
}

TEST_F(BatchEngine, LeftoversAreRemovedWhenTheRunStarts) {
  const std::string output = Out / "a_48-24.wav";
  const std::string leftover = Out / ".a_48-24.wav.ratemill-part-1-1";
  test::WriteFile(leftover, "from a crashed run");
  TBatchJob job = Job(Source("a.wav"), output);
  job.Leftovers = {leftover};
  RunJobs({job}, 1);
  EXPECT_EQ(OutputNames(), std::vector<std::string>{"a_48-24.wav"});
}

TEST_F(BatchEngine, AConverterThatCannotStartEndsTheRunAfterTheRunningOnes) {
  Env.Set("RATEMILL_TC_SLEEP_MS", "300");
  std::vector<TBatchJob> jobs{Job(Source("a.wav"), Out / "a.wav"), Job(Source("b.wav"), Out / "b.wav"),
                              Job(Source("c.wav"), Out / "c.wav")};
  jobs[1].ApplicationName = Scratch / "no-such-converter";
  TBatchEngine engine(Queue, Observer, TRunnerSetup{}, 2);
  Run(engine, jobs);

  EXPECT_TRUE(engine.StartFailed());
  EXPECT_EQ(Observer.Events, (std::vector<std::string>{"start 0", "start 1", "failed 1", "end 0"}));
  EXPECT_NE(Observer.FailMessage.find("Code: 2."), std::string::npos) << Observer.FailMessage;
  EXPECT_TRUE(Observer.Results[0].Accepted);
  EXPECT_EQ(OutputNames(), std::vector<std::string>{"a.wav"});
}

}  // namespace
}  // namespace ratemill
