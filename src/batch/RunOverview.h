#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ratemill {

// Where one file of a run stands, as the run's overview shows it.
enum class TFileState { Waiting, Running, Done, Failed, Skipped, Cancelled };

// Follows one converter's progress lines (" 42% processed", perhaps followed
// by more text) on its standard output. With two passes the converter counts
// from 0 to 100 twice; the first pass fills the first half of the file's
// progress, the second the other half.
class TProgressTracker {
 public:
  explicit TProgressTracker(bool twoPass = false) : FTwoPass(twoPass) {}

  // One line of standard output as it arrived (a rewritten line arrives
  // again in its newer state). True when the file's progress changed.
  bool Feed(const std::string& line);
  // The file's progress, 0 to 100.
  int Percent() const;

 private:
  bool FTwoPass;
  bool FSecondPass = false;
  int FLast = -1;  // the last percentage seen in the current pass
};

// The progress of a whole run, each file weighted by its audio data size, and
// the time left, estimated from the run's own pace so far.
class TRunProgress {
 public:
  using Clock = std::chrono::steady_clock;

  // `weights` holds each converted file's audio data size in bytes; a file
  // of size 0 still counts a little, so that it moves the bar.
  void Start(std::vector<std::uint64_t> weights, Clock::time_point now);
  void SetFilePercent(std::size_t file, int percent);
  // The file is over, whatever its outcome: it counts as whole.
  void FileEnded(std::size_t file);

  // 0 to 1.
  double Fraction() const;
  std::size_t Files() const { return FWeights.size(); }
  std::size_t FilesEnded() const { return FEnded; }
  // Empty until a few seconds of work give a stable figure.
  std::optional<std::chrono::seconds> TimeLeft(Clock::time_point now) const;

 private:
  std::vector<std::uint64_t> FWeights;
  std::vector<int> FPercent;
  std::vector<bool> FFileEnded;
  std::uint64_t FTotal = 0;
  std::uint64_t FDone = 0;  // the sum of weight times percent, kept as files move
  std::size_t FEnded = 0;
  Clock::time_point FStart{};
};

// How many files of a run ended which way, and how long the run took.
struct TRunCounts {
  std::size_t Files = 0;
  std::size_t Converted = 0;
  std::size_t Failed = 0;
  std::size_t Skipped = 0;
  std::size_t Cancelled = 0;
  std::chrono::seconds Elapsed{0};
};

// The captions of the summary, translatable; "%1" stands for a number.
struct TSummaryTexts {
  std::string Files = "%1 Dateien";
  std::string Converted = "%1 konvertiert";
  std::string Failed = "%1 fehlgeschlagen";
  std::string Skipped = "%1 übersprungen";
  std::string Cancelled = "%1 abgebrochen";
  // The count of a run of a single file, which takes the singular.
  std::string OneFile = "1 Datei";
};

// "12 Dateien: 10 konvertiert, 1 fehlgeschlagen, 1 übersprungen, 2:13". Parts
// whose count is zero are left out, except the converted one.
std::string RunSummary(const TRunCounts& counts, const TSummaryTexts& texts);

// A duration as a clock shows it: "0:07", "2:13", "1:02:03".
std::string ClockText(std::chrono::seconds duration);

}  // namespace ratemill
