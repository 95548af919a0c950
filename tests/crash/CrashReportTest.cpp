// The report text, the report file's limit and the close countdown.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "crash/CloseCountdown.h"
#include "crash/CrashReport.h"

namespace ratemill::crash {
namespace {

TReportFacts SampleFacts() {
  TReportFacts facts;
  facts.Time = "2026-12-11 13:12:16 UTC";
  facts.Version = "1.0.0.0";
  facts.OperatingSystem = "Linux 6.1.0 #1 SMP x86_64";
  facts.ToolkitVersion = "6.4.2";
  facts.ErrorType = "ratemill::platform::EIniFileError";
  facts.Message = "In /home/a/Ratemill.ini kann nicht geschrieben werden";
  facts.Place = "ratemill::TMainForm 'MainForm'";
  facts.Thread = "Hauptthread 4711";
  facts.StackTrace = "./ratemill(_ZN8ratemill9TMainForm12SaveSettingsEv+0x1f) [0x1]\n./ratemill(main+0x2) [0x2]\n";
  facts.CurrentSourceFile = "/musik/take1.wav";
  facts.Settings = "[Einstellungen]\r\nSamplerate=2\r\n";
  return facts;
}

// A report of roughly `size` bytes whose message tells `number`.
std::string ReportOfSize(int number, std::size_t size) {
  TReportFacts facts = SampleFacts();
  facts.Message = "Fehler Nummer " + std::to_string(number);
  facts.Settings = std::string(size, 'x');
  return FormatReport(facts);
}

// A report of exactly `size` bytes (at least the size of an almost empty one).
std::string ReportOfExactSize(int number, std::size_t size) {
  const std::size_t overhead = ReportOfSize(number, 1).size() - 1;
  return ReportOfSize(number, size - overhead);
}

TEST(CrashReport, TellsEveryFactAndQuotesMultiLineValuesIndented) {
  const std::string report = FormatReport(SampleFacts());
  EXPECT_EQ(report.rfind(std::string(kReportMarker) + "\n", 0), 0u);
  for (const char* line :
       {"Zeit: 2026-12-11 13:12:16 UTC\n", "Programmversion: 1.0.0.0\n", "Betriebssystem: Linux 6.1.0 #1 SMP x86_64\n",
        "Qt-Version: 6.4.2\n", "Fehlertyp: ratemill::platform::EIniFileError\n",
        "Meldung: In /home/a/Ratemill.ini kann nicht geschrieben werden\n",
        "Herkunft: ratemill::TMainForm 'MainForm'\n", "Thread: Hauptthread 4711\n",
        "Aktuelle Quelldatei: /musik/take1.wav\n",
        "Stack:\n  ./ratemill(_ZN8ratemill9TMainForm12SaveSettingsEv+0x1f) [0x1]\n",
        "Einstellungsdatei:\n  [Einstellungen]\r\n  Samplerate=2\r\n"}) {
    EXPECT_NE(report.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(report.substr(report.size() - 2), "\n\n");
}

TEST(CrashReport, QuotedTextThatLooksLikeAReportStartStaysInsideItsReport) {
  // A settings file or a message may hold anything, the marker line included;
  // read back, it must not split the report, or trimming would drop half of one.
  TReportFacts facts = SampleFacts();
  facts.Message = std::string("erste Zeile\n") + kReportMarker + "\nletzte Zeile";
  facts.Settings = std::string("[Einstellungen]\n") + kReportMarker + "\nZielpfad=/x\n";
  const std::string report = FormatReport(facts);

  const auto reports = SplitReports(report + report);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[0], report);
  EXPECT_EQ(reports[1], report);
}

TEST(CrashReport, EmptyValuesAndAMissingSettingsFileAreWrittenAsSuch) {
  TReportFacts facts;
  facts.Message = "kaputt";
  const std::string report = FormatReport(facts);
  EXPECT_NE(report.find("Programmversion: -\n"), std::string::npos);
  EXPECT_NE(report.find("Stack: -\n"), std::string::npos);
  EXPECT_NE(report.find("Einstellungsdatei: (keine)\n"), std::string::npos);
}

TEST(ReportFile, ManyReportsStayWithinTheLimitDroppingTheOldestWholeReportsFirst) {
  std::vector<std::string> written;
  std::string file;
  // Sizes vary so that the limit is met at many different offsets.
  for (int i = 0; i < 400; ++i) {
    written.push_back(ReportOfSize(i, 200 + (i * 7919) % 3000));
    file = AppendReport(file, written.back());
    ASSERT_LE(file.size(), kReportFileLimit) << "after report " << i;

    const auto kept = SplitReports(file);
    ASSERT_FALSE(kept.empty());
    // What is kept is the newest reports, whole and in order.
    const std::size_t first = written.size() - kept.size();
    for (std::size_t k = 0; k < kept.size(); ++k) ASSERT_EQ(kept[k], written[first + k]) << "after report " << i;
    // And nothing was dropped that would still have fitted.
    if (first > 0) {
      ASSERT_GT(file.size() + written[first - 1].size(), kReportFileLimit) << "after report " << i;
    }
  }
  EXPECT_GT(file.size(), kReportFileLimit - 3500);
}

TEST(ReportFile, EdgesOfTheLimit) {
  const std::string old = ReportOfSize(1, 1000);
  struct TCase {
    const char* Name;
    std::string Content;
    std::string Report;
    std::string Expected;
  };
  const std::string huge = ReportOfSize(2, kReportFileLimit + 5000);
  const std::string fitsExactly = ReportOfExactSize(3, kReportFileLimit - old.size());
  const std::string nearlyFits = ReportOfExactSize(4, kReportFileLimit - old.size() - 10);
  const TCase cases[] = {
      {"empty file", "", old, old},
      {"a report alone over the limit is cut to it", old, huge, huge.substr(0, kReportFileLimit)},
      {"filling the limit exactly keeps everything", old, fitsExactly, old + fitsExactly},
      {"a file without a last line end gets one first", "Notiz", old, "Notiz\n" + old},
      {"text before the first report goes first", "von Hand geschrieben\n" + old, nearlyFits, old + nearlyFits},
      {"one byte over drops the oldest report", old, ReportOfExactSize(5, kReportFileLimit - old.size() + 1),
       ReportOfExactSize(5, kReportFileLimit - old.size() + 1)},
  };
  for (const auto& c : cases) {
    const std::string result = AppendReport(c.Content, c.Report);
    EXPECT_EQ(result.size(), c.Expected.size()) << c.Name;
    EXPECT_TRUE(result == c.Expected) << c.Name;
    EXPECT_LE(result.size(), kReportFileLimit) << c.Name;
  }
}

TEST(ReportIdentity, DiffersWhenTypeMessageOrPlaceDiffers) {
  const std::string base = ReportIdentity("std::runtime_error", "kaputt", "QPushButton 'StartButton'");
  EXPECT_EQ(base, ReportIdentity("std::runtime_error", "kaputt", "QPushButton 'StartButton'"));
  EXPECT_NE(base, ReportIdentity("std::logic_error", "kaputt", "QPushButton 'StartButton'"));
  EXPECT_NE(base, ReportIdentity("std::runtime_error", "kaputt!", "QPushButton 'StartButton'"));
  EXPECT_NE(base, ReportIdentity("std::runtime_error", "kaputt", "QPushButton 'CancelButton'"));
  // Parts are kept apart: moving text from one part to the next is another error.
  EXPECT_NE(ReportIdentity("a", "bc", "d"), ReportIdentity("ab", "c", "d"));
}

TEST(ReportTime, CalendarDatesInUtc) {
  const std::pair<long long, const char*> cases[] = {
      {0, "1970-01-01 00:00:00 UTC"},          {951827696, "2000-02-29 12:34:56 UTC"},
      {1709251199, "2024-02-29 23:59:59 UTC"}, {4107542400, "2100-03-01 00:00:00 UTC"},
      {-1, "1969-12-31 23:59:59 UTC"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatUtcTime(seconds), text) << seconds;
}

// The fatal handler writes addresses, codes and clock fields with this.
TEST(ReportNumbers, DigitsInTheBaseWithLeadingZeros) {
  struct TCase {
    unsigned long long Value;
    unsigned Base;
    int MinDigits;
    std::string Text;
  };
  const TCase cases[] = {
      {0, 10, 1, "0"},
      {7, 10, 2, "07"},
      {2026, 10, 4, "2026"},
      {12345, 10, 2, "12345"},
      {255, 16, 1, "ff"},
      {0xc0000005ull, 16, 8, "c0000005"},
      {0x1f, 16, 16, "000000000000001f"},
      {~0ull, 16, 1, "ffffffffffffffff"},
      {~0ull, 10, 1, "18446744073709551615"},
  };
  for (const TCase& c : cases) {
    char text[32];
    EXPECT_EQ(std::string(text, FormatNumber(text, c.Value, c.Base, c.MinDigits)), c.Text) << c.Value;
  }
}

TEST(CloseCountdown, CountsDownFrom420SecondsOnTheInjectedClock) {
  using namespace std::chrono_literals;
  auto now = std::chrono::steady_clock::time_point{} + 1000s;
  TCloseCountdown countdown([&now] { return now; });
  const auto start = now;
  const std::pair<std::chrono::milliseconds, int> cases[] = {
      {0ms, 420}, {500ms, 420}, {1000ms, 419}, {60500ms, 360}, {419001ms, 1}, {420000ms, 0}, {3600000ms, 0},
  };
  for (const auto& [elapsed, left] : cases) {
    now = start + elapsed;
    EXPECT_EQ(countdown.SecondsLeft(), left) << elapsed.count() << " ms";
    EXPECT_EQ(countdown.Expired(), left == 0) << elapsed.count() << " ms";
  }
}

}  // namespace
}  // namespace ratemill::crash
