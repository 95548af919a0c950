// What a batch run adds per file: 200 files through the Start button with a
// converter that exits at once, against a shell loop calling the same
// converter for the same 200 files. Both are timed in every iteration, one
// after the other, so both see the same machine.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QPushButton>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "GuiFixture.h"
#include "TempDir.h"
#include "frontend/MainForm.h"
#include "process/ProcessRunner.h"

namespace {

constexpr int kFiles = 200;
using Clock = std::chrono::steady_clock;

void BM_BatchRunAgainstShellLoop(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  std::filesystem::create_symlink("/bin/true", fixture.AppDir() + "ssrc.exe");
  ratemill::test::TTempDir sources;
  std::vector<std::string> paths;
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(sources / ("f" + std::to_string(i) + ".wav"));
    ratemill::test::WriteFile(paths.back(), "");
  }
  const auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);
  const std::string loop =
      "cd '" + fixture.AppDir() + "' && for f in '" + sources.Path() +
      "'*.wav; do ./ssrc.exe --rate 48000 --bits 24 --dither 2 \"$f\" \"${f%.wav}_48-24.wav\"; done";

  double runSeconds = 0, loopSeconds = 0;
  int rounds = 0;
  for (auto _ : state) {
    for (const std::string& path : paths) form->FileList->addItem(QString::fromStdString(path));
    const Clock::time_point runStart = Clock::now();
    form->StartButton->click();
    const Clock::time_point runEnd = Clock::now();
    if (form->FileList->count() != 0) state.SkipWithError("the run did not go through the list");
    if (std::system(loop.c_str()) != 0) state.SkipWithError("the shell loop failed");
    const Clock::time_point loopEnd = Clock::now();

    const double run = std::chrono::duration<double>(runEnd - runStart).count();
    state.SetIterationTime(run);
    runSeconds += run;
    loopSeconds += std::chrono::duration<double>(loopEnd - runEnd).count();
    ++rounds;
  }
  state.counters["run_ms"] = runSeconds / rounds * 1e3;
  state.counters["shell_loop_ms"] = loopSeconds / rounds * 1e3;
  state.counters["run_per_loop"] = runSeconds / loopSeconds;
  state.counters["overhead_us_per_file"] = (runSeconds - loopSeconds) / rounds / kFiles * 1e6;
}

BENCHMARK(BM_BatchRunAgainstShellLoop)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// The runner's share of the above: the same 200 captured starts and waits,
// without the window around them.
void BM_RunnerAlone(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  ratemill::TProcessRunner runner(*fixture.Services().Queue);
  runner.SetApplicationName("/bin/true");
  runner.SetConsoleOptions({ratemill::TConsoleOption::coRedirect, ratemill::TConsoleOption::coSeparateError});
  for (auto _ : state) {
    for (int i = 0; i < kFiles; ++i) {
      runner.SetCommandLine(" --rate 48000 --bits 24 --dither 2 \"f" + std::to_string(i) + ".wav\" \"out.wav\"");
      runner.Run();
      while (runner.State() == ratemill::TRunnerState::rsWaiting)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
}

BENCHMARK(BM_RunnerAlone)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
