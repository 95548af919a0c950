// The front end's own CPU while a converter that prints nothing runs for
// five seconds: waiting for it must cost next to nothing.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <chrono>
#include <filesystem>

#include "GuiFixture.h"
#include "TempDir.h"
#include "frontend/MainForm.h"

namespace {

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);  // every thread of ours, no child
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_WaitForSilentConverter(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  const std::string converter = fixture.AppDir() + "ssrc.exe";
  ratemill::test::WriteFile(converter, "#!/bin/sh\nexec sleep 5\n");
  std::filesystem::permissions(converter, std::filesystem::perms(0755));
  ratemill::test::TTempDir sources;
  ratemill::test::WriteFile(sources / "a.wav", "");
  const auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);

  double cpu = 0, wall = 0;
  for (auto _ : state) {
    form->FileList->addItem(QString::fromStdString(sources / "a.wav"));
    const double cpuStart = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    form->StartButton->click();
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += CpuSeconds() - cpuStart;
    wall += elapsed;
    state.SetIterationTime(elapsed);
  }
  state.counters["cpu_ms"] = cpu * 1e3;
  state.counters["wall_ms"] = wall * 1e3;
  state.counters["cpu_percent_of_a_core"] = cpu / wall * 100;
}

BENCHMARK(BM_WaitForSilentConverter)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
