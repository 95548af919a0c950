// What a batch run adds per file, and whether that grows with the run: 200
// and then 5,000 files through the Start button with a converter that exits
// at once, each against a shell loop calling the same converter for the same
// files. Run and loop are timed one after the other in every iteration, so
// both see the same machine. `per_file_growth` is the per-file cost of the
// long run over that of the short one.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

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

constexpr int kShortRun = 200;
constexpr int kLongRun = 5000;
using Clock = std::chrono::steady_clock;

// A folder of `count` empty sources and the shell loop that converts them.
struct TSources {
  TSources(int count, const std::string& appDir) {
    for (int i = 0; i < count; ++i) {
      Paths.push_back(Dir / ("f" + std::to_string(i) + ".wav"));
      ratemill::test::WriteFile(Paths.back(), "");
    }
    Loop = "cd '" + appDir + "' && for f in '" + Dir.Path() +
           "'*.wav; do ./ssrc.exe --rate 48000 --bits 24 --dither 2 \"$f\" \"${f%.wav}_48-24.wav\"; done";
  }
  ratemill::test::TTempDir Dir;
  std::vector<std::string> Paths;
  std::string Loop;
};

struct TTimes {
  double Run = 0;
  double Loop = 0;
  double MainThreadCpu = 0;
};

// CPU of the calling thread alone: what the window spends, without the
// converters and without the reader threads.
double ThreadCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One run through the window and one shell loop over the same files.
bool RunBoth(ratemill::TMainForm& form, const TSources& sources, TTimes& times) {
  for (const std::string& path : sources.Paths) form.FileList->addItem(QString::fromStdString(path));
  const double cpuStart = ThreadCpuSeconds();
  const Clock::time_point runStart = Clock::now();
  form.StartButton->click();
  const Clock::time_point runEnd = Clock::now();
  times.MainThreadCpu += ThreadCpuSeconds() - cpuStart;
  // `true` writes no output, so every file of the run fails and stays in the
  // list for another try; the summary tells that the run went through them.
  const std::string count = std::to_string(sources.Paths.size());
  const bool wentThrough =
      form.StatusText(0).rfind(count + " Dateien: 0 konvertiert, " + count + " fehlgeschlagen", 0) == 0 &&
      form.FileList->count() == static_cast<int>(sources.Paths.size());
  form.FileList->clear();
  const bool looped = std::system(sources.Loop.c_str()) == 0;
  const Clock::time_point loopEnd = Clock::now();
  times.Run += std::chrono::duration<double>(runEnd - runStart).count();
  times.Loop += std::chrono::duration<double>(loopEnd - runEnd).count();
  return wentThrough && looped;
}

void BM_BatchRunAgainstShellLoop(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  std::filesystem::create_symlink("/bin/true", fixture.AppDir() + "ssrc.exe");
  const TSources shortRun(kShortRun, fixture.AppDir());
  const TSources longRun(kLongRun, fixture.AppDir());
  const auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);

  TTimes shortTimes, longTimes;
  int rounds = 0;
  for (auto _ : state) {
    const double before = shortTimes.Run + longTimes.Run;
    if (!RunBoth(*form, shortRun, shortTimes) || !RunBoth(*form, longRun, longTimes)) {
      state.SkipWithError("a run did not go through its list, or a shell loop failed");
      break;
    }
    state.SetIterationTime(shortTimes.Run + longTimes.Run - before);
    ++rounds;
  }
  if (rounds == 0) return;
  const double shortPerFile = shortTimes.Run / rounds / kShortRun;
  const double longPerFile = longTimes.Run / rounds / kLongRun;
  state.counters["ms_per_file_200"] = shortPerFile * 1e3;
  state.counters["ms_per_file_5000"] = longPerFile * 1e3;
  state.counters["per_file_growth"] = longPerFile / shortPerFile;
  state.counters["run_per_loop_200"] = shortTimes.Run / shortTimes.Loop;
  state.counters["run_per_loop_5000"] = longTimes.Run / longTimes.Loop;
  state.counters["main_cpu_ms_per_file_200"] = shortTimes.MainThreadCpu / rounds / kShortRun * 1e3;
  state.counters["main_cpu_ms_per_file_5000"] = longTimes.MainThreadCpu / rounds / kLongRun * 1e3;
  state.counters["loop_ms_per_file_5000"] = longTimes.Loop / rounds / kLongRun * 1e3;
}

BENCHMARK(BM_BatchRunAgainstShellLoop)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

// The runner's share of the above: the same 200 captured starts and waits,
// without the window around them.
void BM_RunnerAlone(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  ratemill::TProcessRunner runner(*fixture.Services().Queue);
  runner.SetApplicationName("/bin/true");
  runner.SetConsoleOptions({ratemill::TConsoleOption::coRedirect, ratemill::TConsoleOption::coSeparateError});
  for (auto _ : state) {
    for (int i = 0; i < kShortRun; ++i) {
      runner.SetCommandLine(" --rate 48000 --bits 24 --dither 2 \"f" + std::to_string(i) + ".wav\" \"out.wav\"");
      runner.Run();
      while (runner.State() == ratemill::TRunnerState::rsWaiting)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
  }
}

BENCHMARK(BM_RunnerAlone)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
