#include "crash/CrashReport.h"

#include <cstdio>
#include <string_view>

namespace ratemill::crash {
namespace {

constexpr std::string_view kIndent = "  ";

// A value on its own line; further lines of it are indented, so that no line
// of a quoted value can pass for a report marker.
void AddField(std::string& out, std::string_view label, std::string_view value) {
  out += label;
  out += ": ";
  if (value.empty()) {
    out += "-\n";
    return;
  }
  for (std::size_t start = 0; start < value.size();) {
    const std::size_t end = value.find('\n', start);
    const std::size_t stop = end == std::string_view::npos ? value.size() : end;
    if (start > 0) out += kIndent;
    out += value.substr(start, stop - start);
    out += '\n';
    start = stop + 1;
  }
}

// A multi-line block under a heading, every line indented.
void AddBlock(std::string& out, std::string_view heading, std::string_view text) {
  out += heading;
  out += ":\n";
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    const std::size_t stop = end == std::string_view::npos ? text.size() : end;
    out += kIndent;
    out += text.substr(start, stop - start);
    out += '\n';
    start = stop + 1;
  }
}

bool IsMarkerAt(const std::string& content, std::size_t pos) {
  const std::string_view marker = kReportMarker;
  if (content.compare(pos, marker.size(), marker) != 0) return false;
  const std::size_t after = pos + marker.size();
  return after == content.size() || content[after] == '\n' || content[after] == '\r';
}

}  // namespace

std::string FormatReport(const TReportFacts& facts) {
  std::string out = kReportMarker;
  out += '\n';
  AddField(out, "Zeit", facts.Time);
  AddField(out, "Programmversion", facts.Version);
  AddField(out, "Betriebssystem", facts.OperatingSystem);
  AddField(out, "Qt-Version", facts.ToolkitVersion);
  AddField(out, "Fehlertyp", facts.ErrorType);
  AddField(out, "Meldung", facts.Message);
  AddField(out, "Herkunft", facts.Place);
  AddField(out, "Thread", facts.Thread);
  AddField(out, "Aktuelle Quelldatei", facts.CurrentSourceFile);
  if (facts.StackTrace.empty()) {
    AddField(out, "Stack", "");
  } else {
    AddBlock(out, "Stack", facts.StackTrace);
  }
  if (facts.Settings) {
    AddBlock(out, "Einstellungsdatei", *facts.Settings);
  } else {
    AddField(out, "Einstellungsdatei", "(keine)");
  }
  out += '\n';
  return out;
}

std::vector<std::string> SplitReports(const std::string& content) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < content.size();) {
    if (IsMarkerAt(content, pos)) starts.push_back(pos);
    const std::size_t end = content.find('\n', pos);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  std::vector<std::string> reports;
  if (starts.empty() || starts.front() > 0) {
    const std::size_t end = starts.empty() ? content.size() : starts.front();
    if (end > 0) reports.push_back(content.substr(0, end));
  }
  for (std::size_t i = 0; i < starts.size(); ++i) {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : content.size();
    reports.push_back(content.substr(starts[i], end - starts[i]));
  }
  return reports;
}

std::string AppendReport(const std::string& content, const std::string& report, std::size_t limit) {
  if (report.size() >= limit) return report.substr(0, limit);
  const bool needsLineEnd = !content.empty() && content.back() != '\n';
  std::size_t size = content.size() + (needsLineEnd ? 1 : 0);
  std::size_t first = 0;
  std::vector<std::string> reports;
  if (size + report.size() > limit) {
    reports = SplitReports(content);
    while (first < reports.size() && size + report.size() > limit) {
      size -= reports[first].size();
      ++first;
    }
  } else {
    reports.push_back(content);
  }
  // Built by appending: GCC 12 warns falsely about chained `+` on strings
  // when the sanitizers are on.
  std::string out;
  out.reserve(size + report.size() + 1);
  for (std::size_t i = first; i < reports.size(); ++i) out.append(reports[i]);
  if (!out.empty() && out.back() != '\n') out.push_back('\n');
  out.append(report);
  return out;
}

std::string ReportIdentity(const std::string& errorType, const std::string& message, const std::string& place) {
  // The unit separator cannot be confused with text of the three parts.
  return errorType + '\x1f' + message + '\x1f' + place;
}

std::size_t FormatNumber(char* out, unsigned long long value, unsigned base, int minDigits) noexcept {
  char digits[32];
  int n = 0;
  do {
    digits[n++] = "0123456789abcdef"[value % base];
    value /= base;
  } while (value > 0 && n < 32);
  while (n < minDigits && n < 32) digits[n++] = '0';
  for (int i = 0; i < n; ++i) out[i] = digits[n - 1 - i];
  return static_cast<std::size_t>(n);
}

TUtcFields SplitUtcTime(long long secondsSinceEpoch) noexcept {
  // Days to civil date in the proleptic Gregorian calendar.
  long long days = secondsSinceEpoch / 86400;
  long long rest = secondsSinceEpoch % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long dayOfEra = days - era * 146097;
  const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const long long mp = (5 * dayOfYear + 2) / 153;
  const long long day = dayOfYear - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  return {year, month, day, rest / 3600, rest / 60 % 60, rest % 60};
}

std::string FormatUtcTime(long long secondsSinceEpoch) {
  const TUtcFields t = SplitUtcTime(secondsSinceEpoch);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC", t.Year, t.Month, t.Day, t.Hour,
                t.Minute, t.Second);
  return text;
}

}  // namespace ratemill::crash
