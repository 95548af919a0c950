// Several converters at once: 16 sources through the batch engine with a
// converter that burns half a second of CPU each, with one job and with two,
// against GNU parallel running the same 16 commands two at a time. All three
// are timed in every iteration, one after the other, so all see the same
// machine. Goals on a two-core machine: two jobs take at most 0.6 of one job
// and at most 1.1 of parallel -j2.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WavFixture.h"
#include "batch/BatchEngine.h"
#include "batch/WholeOutput.h"
#include "platform/PlainMainThreadQueue.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSources = 16;
const char kBurnMs[] = "500";

// Takes what the engine tells and keeps nothing: the benchmark measures the
// converters and the engine, not a consumer.
class TQuietObserver : public ratemill::IBatchObserver {
 public:
  void JobStarting(std::size_t, const ratemill::TBatchJob&) override {}
  void JobStartFailed(std::size_t, const ratemill::TBatchJob&, const std::string&) override { ++Failed; }
  void JobOutput(std::size_t, const std::string&, bool) override {}
  void JobErrorOutput(std::size_t, const std::string&, bool) override {}
  void JobEnded(std::size_t, const ratemill::TBatchJob&, const ratemill::TJobResult& result) override {
    if (!result.Accepted) ++Failed;
  }
  int Failed = 0;
};

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

void BM_ParallelJobs(benchmark::State& state) {
  ratemill::test::TTempDir sources;
  ratemill::test::TTempDir outputs;
  std::vector<std::string> paths;
  for (int i = 0; i < kSources; ++i) {
    paths.push_back(sources / ("s" + std::to_string(i) + ".wav"));
    ratemill::test::WriteWav(paths.back(), 44100, 16, 2, 4410);
  }
  ::setenv("RATEMILL_TC_BURN_MS", kBurnMs, 1);
  ::setenv("RATEMILL_TC_PROGRESS_STEPS", "10", 1);

  // The same command for every source, as the engine gives it to the
  // converter, written once for parallel.
  const std::string commands = sources / "commands.txt";
  {
    std::ofstream out(commands);
    for (int i = 0; i < kSources; ++i) {
      out << ShellQuote(RATEMILL_TEST_CONVERTER) << " --rate 48000 --bits 24 " << ShellQuote(paths[i]) << " "
          << ShellQuote(outputs / ("p" + std::to_string(i) + ".wav")) << "\n";
    }
  }
  const std::string parallel = "parallel --will-cite -j2 < " + ShellQuote(commands) + " > /dev/null 2>&1";

  const auto runEngine = [&](int maxJobs) {
    ratemill::platform::TPlainMainThreadQueue queue;
    TQuietObserver observer;
    std::vector<ratemill::TBatchJob> jobs;
    for (int i = 0; i < kSources; ++i) {
      ratemill::TBatchJob job;
      job.Source = paths[i];
      job.Output = outputs / ("e" + std::to_string(i) + ".wav");
      job.TempOutput = ratemill::TempOutputName(job.Output, static_cast<std::uint32_t>(::getpid()), i + 1);
      job.ApplicationName = RATEMILL_TEST_CONVERTER;
      job.CommandLine = " --rate 48000 --bits 24 \"" + job.Source + "\" \"" + job.TempOutput + "\"";
      jobs.push_back(job);
    }
    ratemill::TBatchEngine engine(queue, observer, ratemill::TRunnerSetup{}, maxJobs);
    const Clock::time_point start = Clock::now();
    engine.Start(std::move(jobs));
    while (engine.Pump()) queue.WaitAndProcess();
    const double seconds = Seconds(start, Clock::now());
    if (observer.Failed != 0) state.SkipWithError("a conversion failed");
    return seconds;
  };

  double one = 0, two = 0, gnu = 0;
  int rounds = 0;
  for (auto _ : state) {
    one += runEngine(1);
    const double twoJobs = runEngine(2);
    two += twoJobs;
    const Clock::time_point start = Clock::now();
    if (std::system(parallel.c_str()) != 0) state.SkipWithError("parallel failed (is it installed?)");
    gnu += Seconds(start, Clock::now());
    state.SetIterationTime(twoJobs);
    ++rounds;
  }
  state.counters["one_job_s"] = one / rounds;
  state.counters["two_jobs_s"] = two / rounds;
  state.counters["parallel_j2_s"] = gnu / rounds;
  state.counters["two_to_one"] = two / one;
  state.counters["two_to_parallel"] = two / gnu;
}
BENCHMARK(BM_ParallelJobs)->UseManualTime()->Iterations(2)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
