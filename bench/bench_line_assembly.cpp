// Line assembly alone: 64 MiB of converter-like progress text, fed to the
// output reader in pieces of 1024 bytes, with a consumer that keeps one list
// of lines the way the console window does.
//
// One pass before the timed ones checks the consumer's lines against a plain
// byte-by-byte assembly of the same text. It also lets the allocator take the
// pages that the consumer's 45 MB of lines need: on a fresh heap, faulting
// them in costs more than the assembly itself, and that cost belongs to the
// consumer, not to the reader. Its speed is reported as `first_pass_MiB_per_s`.
#include <benchmark/benchmark.h>
#include <time.h>

#include <string>
#include <vector>

#include "ReferenceAssembly.h"
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

// A consumer that keeps one list of lines: it adds a line that starts anew
// and replaces the last one with a newer version of it.
struct TAssembled {
  std::vector<std::string> Shown;
  std::size_t Deliveries = 0;

  void Take(const std::string& line, bool startsOnNewLine) {
    ++Deliveries;
    if (startsOnNewLine || Shown.empty()) {
      Shown.push_back(line);
    } else {
      Shown.back() = line;
    }
  }
};

TAssembled AssembleThroughReader(platform::TPlainMainThreadQueue& queue, const std::string& text) {
  TProcessRunner runner(queue);
  TAssembled result;
  runner.SetOnRead(
      [&](TProcessRunner&, const std::string& s, bool startsOnNewLine) { result.Take(s, startsOnNewLine); });
  TReader& reader = runner.OutputReader();
  for (std::size_t at = 0; at < text.size(); at += TReader::kPieceSize) {
    const std::size_t n = std::min(TReader::kPieceSize, text.size() - at);
    reader.ProcessPiece(text.data() + at, n);
  }
  return result;
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void BM_LineAssembly(benchmark::State& state) {
  const std::string text = MakeProgressText(64u << 20);
  platform::TPlainMainThreadQueue queue;

  // What the reader's consumer must end up with: the plain byte-by-byte
  // rules, with the consumer rule applied to each delivery.
  TAssembled expected;
  test::TReferenceAssembly reference(
      [&](const std::string& line, bool startsOnNewLine) { expected.Take(line, startsOnNewLine); });
  for (std::size_t at = 0; at < text.size(); at += TReader::kPieceSize) {
    reference.Piece(text.data() + at, std::min(TReader::kPieceSize, text.size() - at));
  }
  const double firstStart = ThreadCpuSeconds();
  TAssembled first = AssembleThroughReader(queue, text);
  const double firstSeconds = ThreadCpuSeconds() - firstStart;
  if (first.Shown != expected.Shown || first.Deliveries != expected.Deliveries) {
    state.SkipWithError("the reader's lines differ from the plain assembly");
    return;
  }
  first = {};

  std::size_t lines = 0;
  for (auto _ : state) {
    TAssembled assembled = AssembleThroughReader(queue, text);
    lines = assembled.Shown.size();
    benchmark::DoNotOptimize(assembled.Shown.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
  state.counters["lines"] = static_cast<double>(lines);
  state.counters["deliveries"] = static_cast<double>(expected.Deliveries);
  state.counters["first_pass_MiB_per_s"] = static_cast<double>(text.size()) / firstSeconds / (1 << 20);
}
BENCHMARK(BM_LineAssembly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
