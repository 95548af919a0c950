// The CPU a runner costs while its child says nothing for 5 s: this thread
// serves the queue like the main thread, the watching and reader threads
// wait. Measured over the whole process with getrusage.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "platform/PlainMainThreadQueue.h"
#include "process/ProcessRunner.h"

namespace {

using namespace ratemill;
using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return s(usage.ru_utime) + s(usage.ru_stime);
}

void BM_IdleWhileChildIsSilent(benchmark::State& state) {
  double cpu = 0, wall = 0;
  for (auto _ : state) {
    platform::TPlainMainThreadQueue queue;
    TProcessRunner runner(queue);
    runner.SetApplicationName(RATEMILL_TEST_CHILD);
    runner.SetCommandLine("child sleep:5000");
    runner.SetConsoleOptions({TConsoleOption::coRedirect, TConsoleOption::coSeparateError});
    const double cpuStart = CpuSeconds();
    const auto start = Clock::now();
    runner.Run();
    queue.ProcessUntil([&] { return runner.State() == TRunnerState::rsReady; });
    wall += std::chrono::duration<double>(Clock::now() - start).count();
    cpu += CpuSeconds() - cpuStart;
  }
  state.counters["wall_s"] = wall;
  state.counters["cpu_s"] = cpu;
  state.counters["cpu_percent_of_a_core"] = 100.0 * cpu / wall;
}
BENCHMARK(BM_IdleWhileChildIsSilent)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
