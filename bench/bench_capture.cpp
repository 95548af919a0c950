// Capture end to end: a child writes 256 MiB to standard output as fast as it
// can; the runner takes it from `Run` until `OnTerminate` while this thread
// serves the queue like the main thread. The same child piped into
// `cat > /dev/null` is the physical limit of this machine.
//
// A third measurement reads the child's output in this process with nothing
// but a loop of non-blocking reads of at most 1024 bytes, the runner's read
// size: no runner can beat it, so `ratio_to_read_1KiB` tells how much of the
// time the runner adds on top of its reads.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/PlainMainThreadQueue.h"
#include "process/ProcessRunner.h"

namespace {

using namespace ratemill;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBytes = 256u << 20;
constexpr std::size_t kLine = 80;  // the child's lines: 79 'x' and a line feed
const std::string kChild = RATEMILL_TEST_CHILD;
const std::string kFlood = "flood:out:" + std::to_string(kBytes);

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct TCapture {
  double Seconds = 0;
  double MainCpu = 0;     // this thread, serving the queue
  double ProcessCpu = 0;  // this thread and the runner's worker threads
  std::size_t Delivered = 0;
  bool InOrder = true;  // every piece continues the child's pattern
  std::size_t LineEvents = 0;
};

TCapture Capture() {
  // The child's stream from any offset, for comparing a piece in one call.
  std::string pattern;
  while (pattern.size() < kLine + TReader::kPieceSize) pattern += std::string(kLine - 1, 'x') + "\n";

  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  TCapture result;
  bool ended = false;
  runner.SetApplicationName(kChild);
  runner.SetCommandLine("child " + kFlood);
  runner.SetConsoleOptions({TConsoleOption::coRedirect, TConsoleOption::coSeparateError, TConsoleOption::coOwnerData});
  runner.SetOnRawRead([&](TProcessRunner&, const std::string& s) {
    if (std::memcmp(s.data(), pattern.data() + result.Delivered % kLine, s.size()) != 0) result.InOrder = false;
    result.Delivered += s.size();
  });
  runner.SetOnRead([&](TProcessRunner&, const std::string&, bool) { ++result.LineEvents; });
  runner.SetOnTerminate([&](TProcessRunner&, std::uint32_t) { ended = true; });
  const double mainStart = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
  const double processStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  const auto start = Clock::now();
  runner.Run();
  queue.ProcessUntil([&] { return ended; });
  result.Seconds = Seconds(start);
  result.MainCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - mainStart;
  result.ProcessCpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart;
  return result;
}

double PipeToCatSeconds() {
  const std::string command = "'" + kChild + "' " + kFlood + " | cat > /dev/null";
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = Seconds(start);
  if (status != 0) std::abort();
  return seconds;
}

double ReadLoopSeconds() {
  const std::string command = "'" + kChild + "' " + kFlood;
  const auto start = Clock::now();
  FILE* child = ::popen(command.c_str(), "r");
  if (!child) std::abort();
  const int fd = ::fileno(child);
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
  char buffer[TReader::kPieceSize];
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      total += static_cast<std::size_t>(n);
    } else if (n == 0) {
      break;
    } else if (errno == EAGAIN) {
      pollfd p{fd, POLLIN, 0};
      ::poll(&p, 1, -1);
    } else if (errno != EINTR) {
      std::abort();
    }
  }
  ::pclose(child);
  const double seconds = Seconds(start);
  if (total != kBytes) std::abort();
  return seconds;
}

void BM_Capture(benchmark::State& state) {
  double runner = 0, cat = 0, readLoop = 0, mainCpu = 0, processCpu = 0;
  std::size_t lineEvents = 0, complete = 0, fewest = kBytes;
  for (auto _ : state) {
    const TCapture capture = Capture();
    runner += capture.Seconds;
    mainCpu += capture.MainCpu;
    processCpu += capture.ProcessCpu;
    lineEvents = capture.LineEvents;
    complete += capture.Delivered == kBytes && capture.InOrder;
    fewest = std::min(fewest, capture.Delivered);
    cat += PipeToCatSeconds();
    readLoop += ReadLoopSeconds();
  }
  const double n = static_cast<double>(state.iterations());
  const double mib = static_cast<double>(kBytes) / (1 << 20);
  state.counters["runner_MiB_per_s"] = mib / (runner / n);
  state.counters["cat_MiB_per_s"] = mib / (cat / n);
  state.counters["read_1KiB_MiB_per_s"] = mib / (readLoop / n);
  state.counters["ratio"] = cat / runner;
  state.counters["ratio_to_read_1KiB"] = readLoop / runner;
  // Busy share of one core while the runner captures: this thread, and the
  // runner's reader and watching threads.
  state.counters["main_thread_core_share"] = mainCpu / runner;
  state.counters["worker_threads_core_share"] = (processCpu - mainCpu) / runner;
  // Runs in which the child's stream arrived whole and in order; bytes are
  // dropped only when the main thread falls behind by more than the shared
  // buffer holds (128 KiB), which a loaded machine can cause.
  state.counters["runs_all_delivered"] = static_cast<double>(complete);
  state.counters["fewest_bytes_delivered"] = static_cast<double>(fewest);
  state.counters["line_events"] = static_cast<double>(lineEvents);
}
BENCHMARK(BM_Capture)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
