// Capture end to end: a child writes 256 MiB to standard output as fast as it
// can; the runner takes it from `Run` until `OnTerminate` while this thread
// serves the queue like the main thread. The same child piped into
// `cat > /dev/null` is the physical limit of this machine.
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/PlainMainThreadQueue.h"
#include "process/ProcessRunner.h"

namespace {

using namespace ratemill;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBytes = 256u << 20;
const std::string kChild = RATEMILL_TEST_CHILD;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double CaptureSeconds(std::size_t& delivered, std::size_t& lineEvents) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  bool ended = false;
  delivered = 0;
  lineEvents = 0;
  runner.SetApplicationName(kChild);
  runner.SetCommandLine("child flood:out:" + std::to_string(kBytes));
  runner.SetConsoleOptions({TConsoleOption::coRedirect, TConsoleOption::coSeparateError,
                            TConsoleOption::coOwnerData});
  runner.SetOnRawRead([&](TProcessRunner&, const std::string& s) { delivered += s.size(); });
  runner.SetOnRead([&](TProcessRunner&, const std::string&, bool) { ++lineEvents; });
  runner.SetOnTerminate([&](TProcessRunner&, std::uint32_t) { ended = true; });
  const auto start = Clock::now();
  runner.Run();
  queue.ProcessUntil([&] { return ended; });
  return Seconds(start);
}

double PipeToCatSeconds() {
  const std::string command = "'" + kChild + "' flood:out:" + std::to_string(kBytes) + " | cat > /dev/null";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = Seconds(start);
  if (status != 0) std::abort();
  return seconds;
}

void BM_Capture(benchmark::State& state) {
  double runner = 0, cat = 0;
  std::size_t delivered = 0, lineEvents = 0;
  for (auto _ : state) {
    runner += CaptureSeconds(delivered, lineEvents);
    cat += PipeToCatSeconds();
  }
  const double n = static_cast<double>(state.iterations());
  const double mib = static_cast<double>(kBytes) / (1 << 20);
  state.counters["runner_MiB_per_s"] = mib / (runner / n);
  state.counters["cat_MiB_per_s"] = mib / (cat / n);
  state.counters["ratio"] = cat / runner;
  state.counters["delivered_bytes"] = static_cast<double>(delivered);
  state.counters["all_delivered"] = delivered == kBytes ? 1 : 0;
  state.counters["line_events"] = static_cast<double>(lineEvents);
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
