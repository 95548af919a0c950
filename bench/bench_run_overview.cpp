// What the run's status table costs: 5,000 instant conversions through the
// Start button, once with the console window as the program builds it and
// once with the same window built without the table. Everything else is the
// same in both: the converter stand-in, the panes, the progress in the status
// bar and the summary. The two runs alternate within each iteration, so both
// see the same machine; `table_ratio` is the time with the table over the
// time without it.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "GuiFixture.h"
#include "TempDir.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "frontend/RunStatusModel.h"

namespace {

constexpr int kFiles = 5000;
using Clock = std::chrono::steady_clock;

// One short WAV source per file, written once for every run.
struct TSources {
  TSources() {
    for (int i = 0; i < kFiles; ++i) {
      Paths.push_back(Dir / ("f" + std::to_string(i) + ".wav"));
      ratemill::test::WriteWav(Paths.back(), 44100, 16, 2, 16);
    }
  }
  ratemill::test::TTempDir Dir;
  std::vector<std::string> Paths;
};

// One run of every source into a fresh output folder, so that no output is
// there before and no question is asked. False when not every file was
// converted.
bool TimedRun(ratemill::TMainForm& form, ratemill::TConsoleOutputForm& console, const TSources& sources,
              double& seconds) {
  form.SetConsoleOutputForm(&console);
  const ratemill::test::TTempDir outputs;
  form.TargetDirectoryEdit->setText(QString::fromStdString(outputs.Path()));
  for (const std::string& path : sources.Paths) form.FileList->addItem(QString::fromStdString(path));
  const Clock::time_point start = Clock::now();
  form.StartButton->click();
  seconds += std::chrono::duration<double>(Clock::now() - start).count();
  std::size_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(outputs.Path())) written += entry.is_regular_file();
  const bool whole = form.FileList->count() == 0 && written == sources.Paths.size();
  if (console.RunStatus != nullptr && console.RunStatus->Rows() != sources.Paths.size()) return false;
  return whole;
}

void BM_RunWithAndWithoutTheStatusTable(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  std::filesystem::create_symlink(RATEMILL_TEST_CONVERTER, fixture.AppDir() + "ssrc.exe");
  ::setenv("RATEMILL_TC_PROGRESS_STEPS", "1", 1);
  const TSources sources;
  const auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);
  form->SetConcurrentJobs(1);
  auto* withTable = new ratemill::TConsoleOutputForm(form.get());
  auto* withoutTable =
      new ratemill::TConsoleOutputForm(form.get(), ratemill::TConsoleOutputForm::kDefaultMaxLines, false);

  double with = 0;
  double without = 0;
  int rounds = 0;
  for (auto _ : state) {
    const double before = with + without;
    // The order changes each round, so that neither run always comes first.
    const bool tableFirst = rounds % 2 == 0;
    bool ok = TimedRun(*form, tableFirst ? *withTable : *withoutTable, sources, tableFirst ? with : without);
    ok = ok && TimedRun(*form, tableFirst ? *withoutTable : *withTable, sources, tableFirst ? without : with);
    withTable->hide();
    withoutTable->hide();
    if (!ok) {
      state.SkipWithError("a run did not convert every file");
      break;
    }
    state.SetIterationTime(with + without - before);
    ++rounds;
  }
  ::unsetenv("RATEMILL_TC_PROGRESS_STEPS");
  if (rounds == 0) return;
  state.counters["s_with_table"] = with / rounds;
  state.counters["s_without_table"] = without / rounds;
  state.counters["table_ratio"] = with / without;
}

BENCHMARK(BM_RunWithAndWithoutTheStatusTable)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace
