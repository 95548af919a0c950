#include "batch/RunOverview.h"

#include <algorithm>
#include <cmath>

namespace ratemill {

namespace {

// A file of no audio data still takes its converter's start and end, so it
// weighs as much as a fraction of a second of CD sound; without it a run of
// empty files would never move the bar.
constexpr std::uint64_t kMinimumWeight = 64 * 1024;

// The time left is shown only once the run's pace rests on this much work.
constexpr std::chrono::seconds kSteadyAfter{3};
constexpr double kSteadyFraction = 0.01;

// The percentage at the start of a progress line (" 42% processed", perhaps
// followed by ", ETA = ..."), or -1 when the line is none.
int ProgressPercent(const std::string& line) {
  static const std::string kProcessed = "% processed";
  std::size_t i = line.find_first_not_of(' ');
  if (i == std::string::npos) return -1;
  int value = 0;
  std::size_t digits = 0;
  for (; i < line.size() && line[i] >= '0' && line[i] <= '9' && digits < 4; ++i, ++digits)
    value = value * 10 + (line[i] - '0');
  if (digits == 0 || digits > 3 || value > 100) return -1;
  if (line.compare(i, kProcessed.size(), kProcessed) != 0) return -1;
  return value;
}

std::string WithNumber(const std::string& text, std::size_t number) {
  std::string result = text;
  const std::size_t at = result.find("%1");
  if (at != std::string::npos) result.replace(at, 2, std::to_string(number));
  return result;
}

}  // namespace

bool TProgressTracker::Feed(const std::string& line) {
  const int percent = ProgressPercent(line);
  if (percent < 0) return false;
  const int before = Percent();
  if (FTwoPass && !FSecondPass && percent < FLast) {
    // The first pass counted up to its end; counting from the start again is
    // the second pass.
    FSecondPass = true;
    FLast = percent;
  } else if (percent > FLast) {
    FLast = percent;
  }
  return Percent() != before;
}

int TProgressTracker::Percent() const {
  if (FLast < 0) return 0;
  if (!FTwoPass) return FLast;
  return FSecondPass ? 50 + FLast / 2 : FLast / 2;
}

void TRunProgress::Start(std::vector<std::uint64_t> weights, Clock::time_point now) {
  FWeights = std::move(weights);
  FTotal = 0;
  for (std::uint64_t& weight : FWeights) {
    weight = std::max(weight, kMinimumWeight);
    FTotal += weight;
  }
  FPercent.assign(FWeights.size(), 0);
  FFileEnded.assign(FWeights.size(), false);
  FDone = 0;
  FEnded = 0;
  FStart = now;
}

void TRunProgress::SetFilePercent(std::size_t file, int percent) {
  if (file >= FWeights.size() || FFileEnded[file]) return;
  percent = std::clamp(percent, 0, 100);
  if (percent <= FPercent[file]) return;
  FDone += FWeights[file] * static_cast<std::uint64_t>(percent - FPercent[file]);
  FPercent[file] = percent;
}

void TRunProgress::FileEnded(std::size_t file) {
  if (file >= FWeights.size() || FFileEnded[file]) return;
  SetFilePercent(file, 100);
  FFileEnded[file] = true;
  ++FEnded;
}

double TRunProgress::Fraction() const {
  if (FTotal == 0) return 0.0;
  return std::min(1.0, static_cast<double>(FDone) / (100.0 * static_cast<double>(FTotal)));
}

std::optional<std::chrono::seconds> TRunProgress::TimeLeft(Clock::time_point now) const {
  const double fraction = Fraction();
  const auto elapsed = std::chrono::duration<double>(now - FStart);
  if (elapsed < kSteadyAfter || fraction < kSteadyFraction) return std::nullopt;
  // The pace so far holds for the rest: what is left takes as long per
  // byte as what is done took.
  const double left = elapsed.count() * (1.0 - fraction) / fraction;
  return std::chrono::seconds(std::llround(left));
}

std::string RunSummary(const TRunCounts& counts, const TSummaryTexts& texts) {
  const std::string files = counts.Files == 1 ? texts.OneFile : WithNumber(texts.Files, counts.Files);
  std::string summary = files + ": " + WithNumber(texts.Converted, counts.Converted);
  if (counts.Failed > 0) summary += ", " + WithNumber(texts.Failed, counts.Failed);
  if (counts.Skipped > 0) summary += ", " + WithNumber(texts.Skipped, counts.Skipped);
  if (counts.Cancelled > 0) summary += ", " + WithNumber(texts.Cancelled, counts.Cancelled);
  return summary + ", " + ClockText(counts.Elapsed);
}

std::string ClockText(std::chrono::seconds duration) {
  const long long total = std::max<long long>(0, duration.count());
  const long long hours = total / 3600;
  const long long minutes = total / 60 % 60;
  const long long seconds = total % 60;
  const auto twoDigits = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  if (hours > 0) return std::to_string(hours) + ":" + twoDigits(minutes) + ":" + twoDigits(seconds);
  return std::to_string(minutes) + ":" + twoDigits(seconds);
}

}  // namespace ratemill
