// Emptying the file list at the end of a run: every entry the run went
// through leaves the list, which must cost in proportion to the list's
// length, not to its square.
#include <benchmark/benchmark.h>

#include <QListWidget>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "frontend/MainForm.h"

namespace {

void BM_RemoveFileListEntries(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.AddConverter();
  const auto form = fixture.CreateMainForm();
  std::vector<std::string> entries;
  for (std::int64_t i = 0; i < state.range(0); ++i) entries.push_back("/music/take " + std::to_string(i) + ".wav");

  for (auto _ : state) {
    state.PauseTiming();
    for (const std::string& entry : entries) form->FileList->addItem(QString::fromStdString(entry));
    state.ResumeTiming();
    form->RemoveFileListEntries(entries);
    if (form->FileList->count() != 0) state.SkipWithError("entries were left in the list");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_RemoveFileListEntries)->Arg(200)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond);

}  // namespace
