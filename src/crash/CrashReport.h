#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace ratemill::crash {

// The report file beside the program and the file a crash leaves for the
// next start.
inline constexpr char kReportFileName[] = "bugreport.txt";
inline constexpr char kPendingReportFileName[] = "bugreport-pending.txt";
// The report file never grows past this many bytes.
inline constexpr std::size_t kReportFileLimit = 100000;

// The line that opens every report. Every value a report quotes (a message,
// the settings, a stack trace) is indented, so this line at the start of a
// line can only be the start of a report: whole reports can be found and
// dropped without a length field that a hand-edited file would break.
inline constexpr char kReportMarker[] = "===== Ratemill-Fehlerbericht =====";

// What one report tells. Empty texts are written as "-".
struct TReportFacts {
  std::string Time;             // "2026-12-11 13:12:16 UTC"
  std::string Version;          // the stamped file version
  std::string OperatingSystem;  // uname
  std::string ToolkitVersion;
  std::string ErrorType;
  std::string Message;
  std::string Place;   // where the error came from: the sender
  std::string Thread;  // the thread that handed it on
  std::string StackTrace;
  std::string CurrentSourceFile;        // of a running batch
  std::optional<std::string> Settings;  // the settings file's content, if there is one
};

// The report as text, opened by `kReportMarker` and ending with a line end.
std::string FormatReport(const TReportFacts& facts);

// The reports of a report file, oldest first, each with its marker line.
// Text before the first marker (a damaged or foreign start) counts as the
// oldest report, so it is the first to go.
std::vector<std::string> SplitReports(const std::string& content);

// The report file's content after appending `report`: the oldest whole
// reports are dropped until the result fits into `limit` bytes. A report that
// alone is longer than the limit is cut at its end to fit, so the newest
// report is never lost whole.
std::string AppendReport(const std::string& content, const std::string& report, std::size_t limit = kReportFileLimit);

// The identity of an error within one program run: its type, its message and
// its place, so that the same failure repeated by the same sender is reported
// once while the same message from another place, or another error from the
// same place, is reported again.
std::string ReportIdentity(const std::string& errorType, const std::string& message, const std::string& place);

// A moment split into its calendar fields in UTC, by arithmetic alone, so that
// the fatal handler can use it: no locale or time-zone state is consulted.
struct TUtcFields {
  long long Year, Month, Day, Hour, Minute, Second;
};
TUtcFields SplitUtcTime(long long secondsSinceEpoch) noexcept;

// Writes `value` in `base` (2 to 16), at least `minDigits` digits with
// leading zeros, into `out` (room for 32 characters) and returns how many
// were written. No allocation and no locale, so that the fatal handler can
// use it.
std::size_t FormatNumber(char* out, unsigned long long value, unsigned base = 10, int minDigits = 1) noexcept;

// "YYYY-MM-DD hh:mm:ss UTC" for seconds since 1970.
std::string FormatUtcTime(long long secondsSinceEpoch);

}  // namespace ratemill::crash
