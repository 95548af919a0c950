// What the console panes cost the main thread. Rewriting the last line, as a
// converter's progress line does, must cost the same whether the pane holds
// ten lines or a million; and one long line without a line end, arriving in
// the reader's 1 KiB pieces, must cost in proportion to its length, not to
// its length squared.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "frontend/ConsoleOutputForm.h"

namespace {

double ThreadCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_ReplaceLastLine(benchmark::State& state) {
  ratemill::TConsoleOutputForm form;
  const auto lines = state.range(0);
  for (std::int64_t i = 0; i < lines; ++i)
    form.AddInfoLine("line " + std::to_string(i) + " of what the converter wrote before");
  form.AddInfoLine("   0% processed");
  form.show();
  QCoreApplication::processEvents();

  int step = 0;
  char text[64];
  for (auto _ : state) {
    std::snprintf(text, sizeof text, " %3d%% processed, ETA =%4dsec", step % 101, step % 997);
    form.ReplaceInfoLine(text);
    // The window paints now and then, as it does between the runner's pieces.
    if (++step % 1000 == 0) QCoreApplication::processEvents();
  }
  state.counters["pane_lines"] = static_cast<double>(lines + 1);
}

BENCHMARK(BM_ReplaceLastLine)->Arg(10)->Arg(100000)->Arg(1000000)->Iterations(100000)->Unit(benchmark::kMicrosecond);

// A line of `range(0)` KiB without a line end on both streams, delivered the
// way the reader delivers it: first its first piece as a new line, then the
// whole line so far after every further piece, with the window's events
// handled in between. Timed is the main thread's CPU until the panes show the
// line's last state.
void BM_LongLineInPieces(benchmark::State& state) {
  constexpr std::size_t kPiece = 1024;
  const auto pieces = static_cast<std::size_t>(state.range(0));
  ratemill::TConsoleOutputForm form;
  form.show();
  QCoreApplication::processEvents();

  double cpu = 0;
  for (auto _ : state) {
    form.Clear();
    std::string line;
    line.reserve(pieces * kPiece);
    const double start = ThreadCpuSeconds();
    for (std::size_t i = 0; i < pieces; ++i) {
      line.append(kPiece, static_cast<char>('a' + i % 26));
      if (i == 0) {
        form.AddInfoLine(line);
        form.AddErrorLine(line);
      } else {
        form.ReplaceInfoLine(line);
        form.ReplaceErrorLine(line);
      }
      QCoreApplication::processEvents();
    }
    form.Flush();
    QCoreApplication::processEvents();
    const double used = ThreadCpuSeconds() - start;
    cpu += used;
    state.SetIterationTime(used);
  }
  state.counters["main_thread_cpu_s"] = cpu / static_cast<double>(state.iterations());
  state.counters["line_kib"] = static_cast<double>(pieces);
}

BENCHMARK(BM_LongLineInPieces)
    ->Arg(32)
    ->Arg(64)
    ->Arg(128)
    ->Arg(1024)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
