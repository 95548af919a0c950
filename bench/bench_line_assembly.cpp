// Line assembly alone: 64 MiB of converter-like progress text, fed to the
// output reader in pieces of 1024 bytes, with a consumer that keeps one list
// of lines the way the console window does.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/PlainMainThreadQueue.h"
#include "process/ProcessRunner.h"

namespace {

using namespace ratemill;

std::string MakeProgressText(std::size_t size) {
  std::string text;
  text.reserve(size + 4096);
  const std::string longLine = [] {
    std::string s;
    while (s.size() < 3000) s += "sample block\tgain 0.9871\tclip 0\t";
    return s + "\n";
  }();
  int file = 0;
  while (text.size() < size) {
    text += "Processing file " + std::to_string(++file) + "\tinput.wav\toutput_44-16.wav\n";
    for (int pass = 0; pass < 2; ++pass) {
      for (int p = 0; p <= 100; ++p) text += "\r" + std::to_string(p) + "% done";
      text += "\n";
    }
    text += longLine;
    text += "peak\t-0.12 dB\tdc\t0.0001\a\n";
  }
  text.resize(size);
  return text;
}

void BM_LineAssembly(benchmark::State& state) {
  const std::string text = MakeProgressText(64u << 20);
  platform::TPlainMainThreadQueue queue;
  std::size_t lines = 0;
  for (auto _ : state) {
    TProcessRunner runner(queue);
    std::vector<std::string> shown;
    runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool startsOnNewLine) {
      if (startsOnNewLine || shown.empty()) {
        shown.push_back(s);
      } else {
        shown.back() = s;
      }
    });
    TReader& reader = runner.OutputReader();
    for (std::size_t at = 0; at < text.size(); at += TReader::kPieceSize) {
      const std::size_t n = std::min(TReader::kPieceSize, text.size() - at);
      reader.ProcessPiece(text.data() + at, n);
    }
    lines = shown.size();
    benchmark::DoNotOptimize(shown.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_LineAssembly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
