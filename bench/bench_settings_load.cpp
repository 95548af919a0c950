// Start-up with a 20 MB settings file: the main window is created as the
// program creates it, which loads the twelve settings through one profile
// file object. Beside it, the same twelve keys read through a fresh object
// each, which reads the whole file for every key: the cost every key had
// while the file was read anew on each read. And the one write of a save.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <string>

#include "GuiFixture.h"
#include "frontend/MainForm.h"
#include "platform/IniFile.h"

namespace {

constexpr const char* kSection = "Einstellungen";
const char* const kKeys[] = {"Samplerate", "Bits",   "Rauschen", "Abschwaecher", "Clippingschutz", "Normalisieren",
                             "Schnell",    "Dither", "Zielpfad", "TmpFile",      "TmpFilePfad",    "benutzeHP"};

// About 20 MB of sections the program does not know, before its own.
std::string LargeSettings() {
  std::string content;
  content.reserve(21 << 20);
  for (int section = 0; content.size() < (20u << 20); ++section) {
    content += "[Fremd" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 100; ++key) {
      content +=
          "Schluessel" + std::to_string(key) + "=ein Wert, der nur Platz braucht " + std::to_string(section) + "\r\n";
    }
  }
  content +=
      "[Einstellungen]\r\nSamplerate=3\r\nBits=2\r\nRauschen=1\r\nAbschwaecher=1\r\nClippingschutz=1\r\n"
      "Normalisieren=0\r\nSchnell=1\r\nDither=3\r\nZielpfad=/srv/out\r\nTmpFile=1\r\nTmpFilePfad=/tmp/t\r\n"
      "benutzeHP=0\r\n";
  return content;
}

void BM_StartupLoadsLargeSettings(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.WriteSettings(LargeSettings());
  for (auto _ : state) {
    const auto form = fixture.CreateMainForm();
    if (form->ComboSampleRate->currentIndex() != 3) state.SkipWithError("settings not loaded");
    benchmark::DoNotOptimize(form.get());
  }
}
BENCHMARK(BM_StartupLoadsLargeSettings)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_StartupLoadsSmallSettings(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.WriteSettings("[Einstellungen]\r\nSamplerate=3\r\n");
  for (auto _ : state) {
    const auto form = fixture.CreateMainForm();
    benchmark::DoNotOptimize(form.get());
  }
}
BENCHMARK(BM_StartupLoadsSmallSettings)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TwelveKeysOneObject(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.WriteSettings(LargeSettings());
  for (auto _ : state) {
    const ratemill::platform::TIniFile file(fixture.SettingsFile());
    for (const char* key : kKeys) benchmark::DoNotOptimize(file.ReadString(kSection, key, ""));
  }
}
BENCHMARK(BM_TwelveKeysOneObject)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_TwelveKeysWholeFileEach(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.WriteSettings(LargeSettings());
  for (auto _ : state) {
    for (const char* key : kKeys) {
      benchmark::DoNotOptimize(ratemill::platform::TIniFile(fixture.SettingsFile()).ReadString(kSection, key, ""));
    }
  }
}
BENCHMARK(BM_TwelveKeysWholeFileEach)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A save: twelve changed keys, then one write of the whole file.
void BM_SaveTwelveKeysOneWrite(benchmark::State& state) {
  ratemill::test::TGuiFixture fixture;
  fixture.WriteSettings(LargeSettings());
  long value = 0;
  for (auto _ : state) {
    ratemill::platform::TIniFile file(fixture.SettingsFile());
    ++value;
    for (const char* key : kKeys) file.WriteInteger(kSection, key, value);
    file.UpdateFile();
  }
}
BENCHMARK(BM_SaveTwelveKeysOneWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
