// The run overview's arithmetic: a file's progress from the converter's
// lines, the run's weighted progress and time left, and the summary line.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/RunOverview.h"

namespace ratemill {
namespace {

using namespace std::chrono_literals;

TEST(ProgressTracker, FollowsTheConvertersProgressLines) {
  struct TCase {
    std::string Name;
    bool TwoPass;
    // Each line fed, with the file's progress after it.
    std::vector<std::pair<std::string, int>> Steps;
  };
  const std::vector<TCase> cases{
      {"one pass, with and without the time left",
       false,
       {{"   0% processed", 0},
        {"  10% processed, ETA =   9sec", 10},
        {"  42% processed", 42},
        {" 100% processed", 100}}},
      {"never backwards within a file",
       false,
       {{"  60% processed", 60}, {"  30% processed", 60}, {"   0% processed", 60}}},
      {"lines that are no progress change nothing",
       false,
       {{"  25% processed", 25},
        {"", 25},
        {"Pass 2", 25},
        {"peak : 0.500000 (-6.02dB)", 25},
        {"% processed", 25},
        {"abc% processed", 25},
        {" 142% processed", 25},
        {"1000% processed", 25},
        {" -50% processed", 25},
        {"  50 % processed", 25},
        {"  50%", 25},
        {"  50% done", 25},
        {"Source file : 77% processed.wav", 25},
        {"  26% processed", 26}}},
      {"two passes fill one half each",
       true,
       {{"   0% processed", 0},
        {"  50% processed", 25},
        {" 100% processed", 50},
        {"   0% processed", 50},
        {"  20% processed, ETA =   4sec", 60},
        {" 100% processed", 100}}},
      {"a drop is the second pass even when the first did not show its end",
       true,
       {{"  80% processed", 40}, {"  10% processed", 55}, {"  50% processed", 75}}},
      {"within the second pass a drop changes nothing",
       true,
       {{"  90% processed", 45}, {"  40% processed", 70}, {"  10% processed", 70}, {"  60% processed", 80}}},
      {"garbage between the passes", true, {{" 100% processed", 50}, {"Pass 2", 50}, {"  30% processed", 65}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TProgressTracker tracker(c.TwoPass);
    EXPECT_EQ(tracker.Percent(), 0);
    int before = 0;
    for (const auto& [line, percent] : c.Steps) {
      SCOPED_TRACE(line);
      const bool changed = tracker.Feed(line);
      EXPECT_EQ(tracker.Percent(), percent);
      EXPECT_EQ(changed, percent != before);
      before = percent;
    }
  }
}

class RunProgress : public ::testing::Test {
 protected:
  TRunProgress::Clock::time_point T0 = TRunProgress::Clock::time_point{} + 1000s;
  TRunProgress Progress;
};

TEST_F(RunProgress, WeighsEachFileByItsDataSize) {
  Progress.Start({1'000'000, 3'000'000}, T0);
  EXPECT_EQ(Progress.Files(), 2u);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.0);
  Progress.SetFilePercent(1, 50);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.375);
  Progress.SetFilePercent(0, 40);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.475);
  // An ended file counts whole, whatever its last percentage.
  Progress.FileEnded(0);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.625);
  EXPECT_EQ(Progress.FilesEnded(), 1u);
  Progress.FileEnded(1);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 1.0);
  EXPECT_EQ(Progress.FilesEnded(), 2u);
}

TEST_F(RunProgress, NeverGoesBackAndIgnoresWhatIsNoFileOfTheRun) {
  Progress.Start({1'000'000, 1'000'000}, T0);
  Progress.SetFilePercent(0, 60);
  Progress.SetFilePercent(0, 20);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.3);
  // A file ends once; a late percentage or a second end changes nothing.
  Progress.FileEnded(0);
  Progress.FileEnded(0);
  Progress.SetFilePercent(0, 10);
  EXPECT_EQ(Progress.FilesEnded(), 1u);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.5);
  // Beyond the range a percentage counts as its end, not as more.
  Progress.SetFilePercent(1, 250);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 1.0);
  EXPECT_EQ(Progress.FilesEnded(), 1u);
  Progress.SetFilePercent(2, 50);
  Progress.FileEnded(7);
  EXPECT_EQ(Progress.FilesEnded(), 1u);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 1.0);
}

TEST_F(RunProgress, FilesWithoutDataStillMoveTheBar) {
  Progress.Start({0, 0, 0, 0}, T0);
  Progress.FileEnded(0);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.25);

  // Beside a long file an empty one weighs little, but not nothing.
  Progress.Start({0, 2'000'000'000}, T0);
  EXPECT_EQ(Progress.FilesEnded(), 0u);
  Progress.FileEnded(0);
  EXPECT_GT(Progress.Fraction(), 0.0);
  EXPECT_LT(Progress.Fraction(), 0.001);
}

TEST_F(RunProgress, AnEmptyRunHasNoProgressAndNoTimeLeft) {
  Progress.Start({}, T0);
  EXPECT_EQ(Progress.Files(), 0u);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.0);
  EXPECT_FALSE(Progress.TimeLeft(T0 + 60s).has_value());
}

TEST_F(RunProgress, TimeLeftWaitsForAStableFigure) {
  Progress.Start({10'000'000}, T0);
  // Half done within two seconds: still too early to tell.
  Progress.SetFilePercent(0, 50);
  EXPECT_FALSE(Progress.TimeLeft(T0 + 2s).has_value());
  // Long enough, but too little done to rest a figure on.
  Progress.Start({10'000'000'000}, T0);
  EXPECT_FALSE(Progress.TimeLeft(T0 + 30s).has_value());
  Progress.SetFilePercent(0, 1);
  EXPECT_EQ(Progress.TimeLeft(T0 + 30s), std::optional<std::chrono::seconds>(2970s));
}

// A run at a steady pace of one percent a second takes 100 seconds.
TEST_F(RunProgress, TimeLeftFallsAtASteadyPace) {
  Progress.Start({3'000'000, 1'000'000}, T0);
  std::optional<std::chrono::seconds> last;
  for (int second : {3, 6, 15, 30, 45, 60, 72, 75, 80, 90, 99}) {
    SCOPED_TRACE(second);
    // The first file is three quarters of the run.
    if (second < 75) {
      Progress.SetFilePercent(0, second * 100 / 75);
    } else {
      Progress.FileEnded(0);
      Progress.SetFilePercent(1, (second - 75) * 4);
    }
    const auto left = Progress.TimeLeft(T0 + std::chrono::seconds(second));
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(*left, std::chrono::seconds(100 - second));
    if (last) {
      EXPECT_LT(*left, *last);
    }
    last = left;
  }
  Progress.FileEnded(1);
  EXPECT_EQ(Progress.TimeLeft(T0 + 100s), std::optional<std::chrono::seconds>(0s));
}

TEST_F(RunProgress, StartingAgainForgetsTheLastRun) {
  Progress.Start({1'000'000, 1'000'000}, T0);
  Progress.FileEnded(0);
  Progress.SetFilePercent(1, 80);
  Progress.Start({1'000'000, 1'000'000, 1'000'000}, T0 + 100s);
  EXPECT_EQ(Progress.Files(), 3u);
  EXPECT_EQ(Progress.FilesEnded(), 0u);
  EXPECT_DOUBLE_EQ(Progress.Fraction(), 0.0);
  // The clock starts again too: the old run's time is no pace of the new one.
  Progress.FileEnded(0);
  EXPECT_FALSE(Progress.TimeLeft(T0 + 101s).has_value());
  EXPECT_EQ(Progress.TimeLeft(T0 + 110s), std::optional<std::chrono::seconds>(20s));
}

TEST(ClockText, ShowsADurationAsAClockDoes) {
  const std::vector<std::pair<long long, std::string>> cases{
      {0, "0:00"},     {7, "0:07"},       {59, "0:59"},      {60, "1:00"},        {133, "2:13"},         {600, "10:00"},
      {3599, "59:59"}, {3600, "1:00:00"}, {3723, "1:02:03"}, {36000, "10:00:00"}, {360000, "100:00:00"}, {-5, "0:00"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(ClockText(std::chrono::seconds(seconds)), text) << seconds;
}

TEST(RunSummary, NamesEveryOutcomeThatHappened) {
  struct TCase {
    TRunCounts Counts;
    std::string Summary;
  };
  const std::vector<TCase> cases{
      {{12, 10, 1, 1, 0, 133s}, "12 Dateien: 10 konvertiert, 1 fehlgeschlagen, 1 übersprungen, 2:13"},
      {{5, 5, 0, 0, 0, 42s}, "5 Dateien: 5 konvertiert, 0:42"},
      // Nothing converted is still said.
      {{3, 0, 3, 0, 0, 7s}, "3 Dateien: 0 konvertiert, 3 fehlgeschlagen, 0:07"},
      {{5, 2, 0, 0, 3, 65s}, "5 Dateien: 2 konvertiert, 3 abgebrochen, 1:05"},
      {{10, 4, 3, 2, 1, 3723s}, "10 Dateien: 4 konvertiert, 3 fehlgeschlagen, 2 übersprungen, 1 abgebrochen, 1:02:03"},
      {{2, 0, 0, 2, 0, 0s}, "2 Dateien: 0 konvertiert, 2 übersprungen, 0:00"},
      // One file takes the singular.
      {{1, 1, 0, 0, 0, 3s}, "1 Datei: 1 konvertiert, 0:03"},
      {{1, 0, 1, 0, 0, 3s}, "1 Datei: 0 konvertiert, 1 fehlgeschlagen, 0:03"},
  };
  for (const TCase& c : cases) EXPECT_EQ(RunSummary(c.Counts, TSummaryTexts{}), c.Summary);
}

TEST(RunSummary, TakesTranslatedTexts) {
  const TSummaryTexts english{"%1 files", "%1 converted", "%1 failed", "%1 skipped", "%1 cancelled", "1 file"};
  EXPECT_EQ(RunSummary({7, 3, 2, 1, 1, 75s}, english), "7 files: 3 converted, 2 failed, 1 skipped, 1 cancelled, 1:15");
  EXPECT_EQ(RunSummary({1, 1, 0, 0, 0, 75s}, english), "1 file: 1 converted, 1:15");
  // A translation may put the number elsewhere, or leave it out.
  const TSummaryTexts odd{"Files (%1)", "converted: %1", "%1 failed", "%1 skipped", "cancelled"};
  EXPECT_EQ(RunSummary({4, 2, 0, 0, 2, 5s}, odd), "Files (4): converted: 2, cancelled, 0:05");
}

}  // namespace
}  // namespace ratemill
