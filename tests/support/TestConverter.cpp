// A stand-in for the external converter, started by the tests as a real child
// program. It takes the converter's arguments, writes a valid PCM WAV file of
// the requested rate and bits, and talks on its output streams the way the
// real converter does, so the tests see what users will see:
// banner and settings on stdout, progress rewritten with a bare carriage
// return and flushed each time, errors on stderr with exit code 255. Like
// the real converter it writes an 8-bit source whose bits are kept as 16
// bits, and with --twopass it counts from 0 to 100 twice ("Pass 1", "Pass 2").
//
// Environment knobs for every call (all optional):
//   RATEMILL_TC_SLEEP_MS        time to spend, in small slices between progress updates
//   RATEMILL_TC_FLOOD_BYTES     bytes of progress-like text written to stdout
//   RATEMILL_TC_FLOOD_STDERR_BYTES  the same on stderr
//   RATEMILL_TC_PROGRESS_STEPS  number of progress steps per pass (default 10)
//   RATEMILL_TC_RECORD          file to which each call appends its arguments,
//                               one per line, followed by a blank line
//   RATEMILL_TC_TIMES           file to which each call appends one line when it
//                               ends: "<start ns> <end ns> <source>", steady clock
//   RATEMILL_TC_BURN_MS         CPU time to burn before writing the output
//   RATEMILL_TC_IGNORE_TERM     "1": the termination request is ignored, so only a
//                               forced end stops the converter
// SLEEP_MS and PROGRESS_STEPS may also be given to some files by the rules
// below (one slow file among quick ones); RATEMILL_TC_MATCH does not limit them.
//
// Knobs for some files only. Each is read from RATEMILL_TC_<name>, which
// applies to every source or, when RATEMILL_TC_MATCH is set, only to sources
// whose path contains that text. RATEMILL_TC_RULES gives different files
// different knobs in one run: rules "TEXT:NAME=VALUE" separated by ";" (a
// value holds no ";"); the first rule for a knob whose TEXT the source's path
// contains wins over the variable, e.g.
// "a.wav:EXIT_CODE=255;b.wav:SIGNAL=9;c.wav:WRITE_RATE=44100".
//   STDERR_LINES  text whose "\n"-separated lines go to stderr; the run
//                 still succeeds
//   FAIL_AT       percentage at which the conversion fails: error on
//                 stderr, exit 255, no output written
//   EXIT_CODE     exit code after doing everything else; a non-zero code
//                 leaves a header-only (44-byte) output file
//   OUTPUT        "empty" or "text": the output written is an empty file or
//                 text that is no WAV file; "none": no output is written;
//                 each with exit code 0
//   SIGNAL        signal number by which the converter dies after writing
//                 its output
//   WRITE_RATE    the rate written into the output instead of the one asked
//                 for (or kept), as a faulty converter would
//   WRITE_BITS    the same for the bits

#include <signal.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "EndBySignal.h"
#include "WavFixture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int ErrorExit = 255;

struct TSettings {
  std::optional<long> Rate;
  std::optional<long> Bits;
  std::string Att = "0";
  bool TwoPass = false;
  bool Normalize = false;
  std::string Dither;
  std::string Pdf;
  std::string Profile = "standard";
  std::optional<std::string> TmpFile;
  std::string Input;
  std::string Output;
};

void Out(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void Err(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

[[noreturn]] void Fail(const std::string& message) {
  Err(message + "\n");
  std::exit(ErrorExit);
}

std::optional<long> EnvNumber(const char* name) {
  const char* text = std::getenv(name);
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

void Record(int argc, char** argv) {
  const char* path = std::getenv("RATEMILL_TC_RECORD");
  if (path == nullptr || *path == '\0') return;
  std::ofstream out(path, std::ios::app | std::ios::binary);
  for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
  out << '\n';
}

std::optional<long> ParseNumber(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

TSettings ParseArguments(int argc, char** argv) {
  TSettings settings;
  int i = 1;
  auto value = [&](const std::string& option) -> std::string {
    if (i + 1 >= argc) Fail("option requires an argument : " + option);
    return argv[++i];
  };
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) break;
    if (arg == "--rate" || arg == "--bits") {
      const std::string text = value(arg);
      const auto number = ParseNumber(text);
      if (!number || *number <= 0) Fail("Error: invalid value for " + arg + " : " + text);
      (arg == "--rate" ? settings.Rate : settings.Bits) = number;
    } else if (arg == "--att") {
      settings.Att = value(arg);
    } else if (arg == "--dither") {
      settings.Dither = value(arg);
    } else if (arg == "--pdf") {
      settings.Pdf = value(arg);
    } else if (arg == "--profile") {
      settings.Profile = value(arg);
    } else if (arg == "--tmpfile") {
      settings.TmpFile = value(arg);
    } else if (arg == "--twopass") {
      settings.TwoPass = true;
    } else if (arg == "--normalize") {
      settings.Normalize = true;
    } else {
      Fail("unrecognized option : " + arg);
    }
  }
  if (argc - i != 2) Fail("usage: ssrc [<options>] <source file name> <destination file name>");
  settings.Input = argv[i];
  settings.Output = argv[i + 1];
  return settings;
}

// Progress of one pass. The ETA tail shows on the updates where a wall-clock
// second has passed, as the real converter does, and on every fifth update so
// that quick runs show the longer form too, leaving its tail behind when the
// next, shorter update overwrites it.
class TProgress {
 public:
  TProgress(int steps, long sleepMs, std::optional<long> failAt) : FSteps(steps), FSleepMs(sleepMs), FFailAt(failAt) {}

  void Run() {
    if (FSteps <= 0) {
      Sleep(FSleepMs);
      return;
    }
    const Clock::time_point start = Clock::now();
    Clock::time_point lastEta = start;
    for (int step = 0; step <= FSteps; ++step) {
      const int percent = step * 100 / FSteps;
      if (FFailAt && percent >= *FFailAt) Fail("Error: conversion failed at " + std::to_string(percent) + "%.");
      char line[64];
      int length = std::snprintf(line, sizeof line, " %3d%% processed", percent);
      const Clock::time_point now = Clock::now();
      if (step % 5 == 1 || now - lastEta >= std::chrono::seconds(1)) {
        lastEta = now;
        const double elapsed = std::chrono::duration<double>(now - start).count();
        const int eta = percent > 0 ? static_cast<int>(std::lround(elapsed * (100 - percent) / percent)) : 0;
        length += std::snprintf(line + length, sizeof line - length, ", ETA =%4dsec", eta);
      }
      Out(std::string(line, length) + "\r");
      if (step < FSteps) Sleep(FSleepMs / FSteps);
    }
  }

 private:
  // Slices keep the sleeper responsive to signals without waking busily.
  static void Sleep(long ms) {
    while (ms > 0) {
      const long slice = ms < 50 ? ms : 50;
      std::this_thread::sleep_for(std::chrono::milliseconds(slice));
      ms -= slice;
    }
  }

  int FSteps;
  long FSleepMs;
  std::optional<long> FFailAt;
};

void Flood(FILE* stream, long bytes) {
  static const std::string Pattern = "  50% processed\r";
  while (bytes > 0) {
    const auto size = static_cast<std::size_t>(bytes < static_cast<long>(Pattern.size()) ? bytes : Pattern.size());
    std::fwrite(Pattern.data(), 1, size, stream);
    bytes -= static_cast<long>(size);
  }
  std::fflush(stream);
}

std::int64_t Now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// Busy on purpose: the benchmark needs converters that compete for the cores.
void Burn(long ms) {
  const auto cpuNs = [] {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
  };
  const std::int64_t until = cpuNs() + static_cast<std::int64_t>(ms) * 1000000;
  volatile std::uint64_t sink = 0;
  while (cpuNs() < until) {
    for (int i = 0; i < 10000; ++i) sink = sink + static_cast<std::uint64_t>(i) * 2654435761u;
  }
}

void RecordTimes(std::int64_t start, const std::string& source) {
  const char* path = std::getenv("RATEMILL_TC_TIMES");
  if (path == nullptr || *path == '\0') return;
  // One write of one line, so lines of converters running side by side stay whole.
  const std::string line = std::to_string(start) + " " + std::to_string(Now()) + " " + source + "\n";
  if (FILE* out = std::fopen(path, "ab")) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fclose(out);
  }
}

bool KnobsApply(const std::string& source) {
  const char* match = std::getenv("RATEMILL_TC_MATCH");
  return match == nullptr || *match == '\0' || source.find(match) != std::string::npos;
}

// The rule of RATEMILL_TC_RULES that sets knob `name` for `source`, if any.
std::optional<std::string> RuleValue(const std::string& name, const std::string& source) {
  const char* text = std::getenv("RATEMILL_TC_RULES");
  if (text == nullptr) return std::nullopt;
  const std::string rules = text;
  for (std::size_t start = 0; start < rules.size();) {
    std::size_t end = rules.find(';', start);
    if (end == std::string::npos) end = rules.size();
    const std::string rule = rules.substr(start, end - start);
    start = end + 1;
    const std::size_t equals = rule.find('=');
    const std::size_t colon = equals == std::string::npos ? std::string::npos : rule.rfind(':', equals);
    if (colon == std::string::npos || rule.compare(colon + 1, equals - colon - 1, name) != 0) continue;
    if (source.find(rule.substr(0, colon)) != std::string::npos) return rule.substr(equals + 1);
  }
  return std::nullopt;
}

// A knob for some files only: its rule, else its variable where the match allows.
std::optional<std::string> FileKnob(const std::string& name, const std::string& source) {
  if (auto rule = RuleValue(name, source)) return rule;
  if (!KnobsApply(source)) return std::nullopt;
  const char* value = std::getenv(("RATEMILL_TC_" + name).c_str());
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::optional<long> FileKnobNumber(const std::string& name, const std::string& source) {
  const auto text = FileKnob(name, source);
  return text ? ParseNumber(*text) : std::nullopt;
}

void WriteStderrLines(const std::string& source) {
  const auto text = FileKnob("STDERR_LINES", source);
  if (!text || text->empty()) return;
  std::string lines = *text;
  if (lines.back() != '\n') lines += '\n';
  Err(lines);
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t started = Now();
  if (const auto ignore = EnvNumber("RATEMILL_TC_IGNORE_TERM"); ignore && *ignore == 1) ::signal(SIGTERM, SIG_IGN);
  Record(argc, argv);
  Out("Ratemill test converter 1.0 (stand-in for ssrc)\n\n");
  const TSettings settings = ParseArguments(argc, argv);

  std::error_code ec;
  if (!std::filesystem::is_regular_file(settings.Input, ec)) Fail("cannot open input file.");
  std::ifstream probe(settings.Input, std::ios::binary);
  if (!probe) Fail("cannot open input file.");
  probe.close();
  const auto input = ratemill::test::ReadWavFormat(settings.Input);
  if (!input || input->FormatTag != 1 || !input->HasData || input->BlockAlign == 0 || input->Rate == 0)
    Fail("Error: Only PCM is supported.");

  const long rate = settings.Rate.value_or(input->Rate);
  // The real converter writes no 8-bit output unless asked to.
  const long bits = settings.Bits.value_or(input->Bits == 8 ? 16 : input->Bits);
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32)
    Fail("Error: unsupported bit depth : " + std::to_string(bits));

  Out("Source file : " + settings.Input + "\n");
  Out("Destination file : " + settings.Output + "\n");
  Out("Input : " + std::to_string(input->Rate) + "Hz, " + std::to_string(input->Bits) + "bit, " +
      std::to_string(input->Channels) + "ch\n");
  Out("Output : " + std::to_string(rate) + "Hz, " + std::to_string(bits) + "bit\n");
  Out("Attenuation : " + settings.Att + "dB\n");
  Out("Dither type : " + (settings.Dither.empty() ? std::string("none") : settings.Dither) +
      ", PDF : " + (settings.Pdf.empty() ? std::string("default") : settings.Pdf) + "\n");
  Out("Profile : " + settings.Profile + "\n");
  Out(std::string("Two-pass : ") + (settings.TwoPass ? "on" : "off") +
      ", normalize : " + (settings.Normalize ? "on" : "off") + "\n\n");

  WriteStderrLines(settings.Input);

  const auto ruled = [&](const char* name, const char* variable) {
    const auto rule = RuleValue(name, settings.Input);
    return rule ? ParseNumber(*rule) : EnvNumber(variable);
  };
  const int steps = static_cast<int>(ruled("PROGRESS_STEPS", "RATEMILL_TC_PROGRESS_STEPS").value_or(10));
  const long sleepMs = ruled("SLEEP_MS", "RATEMILL_TC_SLEEP_MS").value_or(0);
  const std::optional<long> failAt = FileKnobNumber("FAIL_AT", settings.Input);

  if (settings.TwoPass) {
    // The first pass keeps its intermediate result in the temporary file.
    std::optional<std::string> tmp = settings.TmpFile;
    if (tmp) {
      std::ofstream scratch(*tmp, std::ios::binary | std::ios::trunc);
      if (!scratch) Fail("cannot open temporary file.");
    }
    Out("Pass 1\n");
    TProgress(steps, sleepMs / 2, std::nullopt).Run();
    // Gone before the second pass, which is the one that can fail.
    if (tmp) std::filesystem::remove(*tmp, ec);
    Out("\nPass 2\n");
    TProgress(steps, sleepMs - sleepMs / 2, failAt).Run();
  } else {
    TProgress(steps, sleepMs, failAt).Run();
  }

  if (const auto bytes = EnvNumber("RATEMILL_TC_FLOOD_BYTES")) Flood(stdout, *bytes);
  if (const auto bytes = EnvNumber("RATEMILL_TC_FLOOD_STDERR_BYTES")) Flood(stderr, *bytes);

  if (const auto ms = EnvNumber("RATEMILL_TC_BURN_MS")) Burn(*ms);

  const long exitCode = FileKnobNumber("EXIT_CODE", settings.Input).value_or(0);
  const std::string outputKind = FileKnob("OUTPUT", settings.Input).value_or("");
  if (outputKind == "none") {
    Out("\npeak : 0.500000 (-6.02dB)\ndone\n");
    RecordTimes(started, settings.Input);
    return 0;
  }
  if (outputKind == "empty" || outputKind == "text") {
    std::ofstream out(settings.Output, std::ios::binary | std::ios::trunc);
    if (outputKind == "text") out << "this is no WAV file\n";
    out.close();
    RecordTimes(started, settings.Input);
    return 0;
  }
  // A data chunk that claims more than the file holds counts for what is there.
  const std::uint64_t fileSize = std::filesystem::file_size(settings.Input, ec);
  const std::uint64_t present = fileSize > input->DataOffset ? fileSize - input->DataOffset : 0;
  const std::uint64_t inputFrames = std::min<std::uint64_t>(input->DataSize, present) / input->BlockAlign;
  const std::uint64_t frames =
      exitCode != 0 ? 0 : (inputFrames * static_cast<std::uint64_t>(rate) + input->Rate / 2) / input->Rate;
  const long writtenRate = FileKnobNumber("WRITE_RATE", settings.Input).value_or(rate);
  const long writtenBits = FileKnobNumber("WRITE_BITS", settings.Input).value_or(bits);
  try {
    ratemill::test::WriteWav(settings.Output, static_cast<std::uint32_t>(writtenRate),
                             static_cast<std::uint16_t>(writtenBits), input->Channels, frames);
  } catch (const std::exception&) {
    Fail("cannot open output file.");
  }

  if (const auto signal = FileKnobNumber("SIGNAL", settings.Input)) {
    ratemill::test::EndBySignal(static_cast<int>(*signal));
  }

  Out("\npeak : 0.500000 (-6.02dB)\ndone\n");
  RecordTimes(started, settings.Input);
  return static_cast<int>(exitCode);
}
