// Rewriting the last line of a console pane, as a converter's progress line
// does, must cost the same whether the pane holds ten lines or a million.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstdio>
#include <string>

#include "frontend/ConsoleOutputForm.h"

namespace {

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

}  // namespace
