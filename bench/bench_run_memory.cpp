// Memory over a session: three runs of 1,000 files through the Start button,
// each file's converter writing 200 lines, with the resident size taken
// before the first run and after each run. A run may leave what the panes
// show behind, but the next run replaces that: the resident size after the
// third run must stay near the one after the first.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <string>

#include "GuiFixture.h"
#include "TempDir.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"

namespace {

constexpr int kFiles = 1000;
constexpr int kLinesPerFile = 200;
constexpr int kRuns = 3;

double ResidentMiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;  // the value is in kB
  }
  return 0;
}

void BM_ResidentSizeOverThreeRuns(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  ratemill::test::TTempDir sources;
  // What the converter prints for every file: its output lines on standard
  // output and a few warnings on standard error, as a talkative one does.
  std::string out, err;
  for (int i = 0; i < kLinesPerFile; ++i) {
    std::string& stream = i % 20 == 19 ? err : out;
    stream += "line " + std::to_string(i) + " of what the converter writes about its progress and the file\n";
  }
  ratemill::test::WriteFile(sources / "out.txt", out);
  ratemill::test::WriteFile(sources / "err.txt", err);
  const std::string converter = fixture.AppDir() + "ssrc.exe";
  ratemill::test::WriteFile(
      converter, "#!/bin/sh\ncat '" + sources.Path() + "out.txt'\ncat '" + sources.Path() + "err.txt' >&2\n");
  std::filesystem::permissions(converter, std::filesystem::perms(0755));
  std::vector<std::string> paths;
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(sources / ("f" + std::to_string(i) + ".wav"));
    ratemill::test::WriteFile(paths.back(), "");
  }
  const auto form = fixture.CreateMainForm();
  auto* console = new ratemill::TConsoleOutputForm(form.get());
  form->SetConsoleOutputForm(console);
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);

  for (auto _ : state) {
    state.counters["rss_mib_idle"] = ResidentMiB();
    for (int run = 1; run <= kRuns; ++run) {
      for (const std::string& path : paths) form->FileList->addItem(QString::fromStdString(path));
      form->StartButton->click();
      // The converter writes no output, so every file fails and stays in the
      // list for another try; the summary tells that the run went through them.
      const std::string count = std::to_string(kFiles);
      if (form->StatusText(0).rfind(count + " Dateien: 0 konvertiert, " + count + " fehlgeschlagen", 0) != 0 ||
          form->FileList->count() != kFiles)
        state.SkipWithError("the run did not go through the list");
      form->FileList->clear();
      state.counters["rss_mib_after_run" + std::to_string(run)] = ResidentMiB();
    }
    state.counters["info_pane_lines"] = console->InfoMemo->document()->blockCount();
    state.counters["error_pane_lines"] = console->ErrorMemo->document()->blockCount();
    state.counters["rss_mib_growth_run1_to_run3"] =
        state.counters["rss_mib_after_run3"] - state.counters["rss_mib_after_run1"];
  }
}

BENCHMARK(BM_ResidentSizeOverThreeRuns)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
