#include "crash/CrashReporter.h"

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <utility>

#include "crash/SystemFacts.h"
#include "platform/ErrorHandling.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill::crash {
namespace {

void AppendPercentEncoded(std::string& out, unsigned char c) {
  const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '.' || c == '_' || c == '~';
  if (unreserved) {
    out += static_cast<char>(c);
    return;
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

// One character of a mail body, as the address carries it: a line end is
// CR LF there, and a multi-byte UTF-8 character stays whole.
std::string EncodeBodyCharacter(const std::string& text, std::size_t& pos) {
  std::string out;
  const auto c = static_cast<unsigned char>(text[pos++]);
  if (c == '\n') return "%0D%0A";
  AppendPercentEncoded(out, c);
  while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) {
    AppendPercentEncoded(out, static_cast<unsigned char>(text[pos++]));
  }
  return out;
}

std::string PercentEncode(const std::string& text) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size();) out += EncodeBodyCharacter(text, pos);
  return out;
}

std::string FirstLine(const std::string& text, std::size_t maxBytes) {
  std::string line = text.substr(0, text.find_first_of("\r\n"));
  if (line.size() <= maxBytes) return line;
  std::size_t cut = maxBytes;
  // Never end inside a multi-byte character.
  while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
  return line.substr(0, cut) + "...";
}

// The value of a report's "Meldung" line, which names the error.
std::string ReportMessage(const std::string& report) {
  std::istringstream lines(report);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("Meldung: ", 0) == 0) return line.substr(9);
  }
  return {};
}

std::string DemangleReport(const std::string& report) {
  std::string out;
  std::istringstream lines(report);
  std::string line;
  while (std::getline(lines, line)) {
    out += DemangleStackLine(line);
    out += '\n';
  }
  return out;
}

std::string DescribeSender(const void* sender) {
  if (!sender) return {};
  char text[64];
  std::snprintf(text, sizeof text, "Objekt an Adresse %p", sender);
  return text;
}

}  // namespace

TCrashReporter::TCrashReporter(TCrashReportSetup setup, platform::IReportWindow& window, platform::IShell& shell,
                               platform::IProgramStarter& starter, platform::IMessageBoxes& boxes)
    : FSetup(std::move(setup)),
      FWindow(window),
      FShell(shell),
      FStarter(starter),
      FBoxes(boxes),
      FMainThread(std::this_thread::get_id()) {}

void TCrashReporter::HandleError(std::exception_ptr error, const void* sender, const std::string& place) {
  TReportFacts facts;
  facts.ErrorType = ExceptionTypeName(error);
  facts.Message = platform::ErrorMessage(error);
  // Without a name the sender's address tells the place: within one run the
  // same object stays at the same address.
  facts.Place = place.empty() ? DescribeSender(sender) : place;
  if (!FReported.insert(ReportIdentity(facts.ErrorType, facts.Message, facts.Place)).second) return;

  facts.Time = FormatUtcTime(FSetup.Now ? FSetup.Now() : SecondsSinceEpoch());
  facts.Version = FSetup.Version;
  facts.OperatingSystem = OperatingSystemDescription();
  facts.ToolkitVersion = FSetup.ToolkitVersion;
  facts.Thread = CurrentThreadDescription();
  facts.StackTrace = CaptureStackTrace();
  if (FSetup.CurrentSourceFile) facts.CurrentSourceFile = FSetup.CurrentSourceFile();
  try {
    facts.Settings = platform::ReadWholeFile(FSetup.SettingsFile);
  } catch (...) {
    facts.Settings = std::string("(nicht lesbar: ") + platform::ErrorMessage(std::current_exception()) + ")";
  }
  const std::string report = FormatReport(facts);
  const std::string saveError = AppendToReportFile(report);

  // A window needs the main thread; one error at a time is asked about; and
  // once the program is ending, an error of the close path (a failing save)
  // must not hold the end up.
  if (std::this_thread::get_id() != FMainThread || FShowing || FEnding) {
    std::fprintf(stderr, "Ratemill: %s\n", facts.Message.c_str());
    return;
  }
  platform::TReportRequest request;
  request.Message = facts.Message;
  if (!saveError.empty()) request.Message += "\n\nDer Bericht konnte nicht gespeichert werden: " + saveError;
  request.Report = report;
  switch (Ask(request)) {
    case platform::TReportAnswer::Restart: Restart(); break;
    case platform::TReportAnswer::Close: End(); break;
    case platform::TReportAnswer::Send:
    case platform::TReportAnswer::Continue: break;
  }
}

bool TCrashReporter::ShowPendingReport() {
  std::optional<std::string> pending;
  try {
    pending = platform::ReadWholeFile(PendingReportFile());
  } catch (...) {
    FBoxes.Show(platform::TMessageKind::ErrorOk, platform::ErrorMessage(std::current_exception()));
    return false;
  }
  if (!pending) return false;

  // The dying program could only write mangled names; now they can be read.
  const std::string report = DemangleReport(*pending);
  platform::TReportRequest request;
  request.Message = "Ratemill wurde beim letzten Mal unerwartet beendet.\n" + ReportMessage(report);
  request.Report = report;
  request.PreviousRun = true;
  Ask(request);

  const std::string saveError = AppendToReportFile(report);
  if (!saveError.empty()) {
    // The pending report stays, so the next start offers it again.
    FBoxes.Show(platform::TMessageKind::ErrorOk, "Der Bericht konnte nicht gespeichert werden: " + saveError);
    return true;
  }
  if (std::remove(PendingReportFile().c_str()) != 0) {
    FBoxes.Show(
        platform::TMessageKind::ErrorOk,
        "Der Bericht " + PendingReportFile() + " konnte nicht entfernt werden: " + platform::SystemErrorMessage(errno));
  }
  return true;
}

std::string TCrashReporter::MailAddressFor(const std::string& message, const std::string& report) const {
  const std::string subject = "Ratemill " + FSetup.Version + ": " + FirstLine(message, 120);
  std::string address = "mailto:" + FSetup.MailAddress + "?subject=" + PercentEncode(subject) + "&body=";
  const std::string cutNote = PercentEncode("\n[... gekürzt; der ganze Bericht steht in bugreport.txt]");
  std::string body;
  std::size_t pos = 0;
  while (pos < report.size()) {
    const std::size_t before = pos;
    const std::string next = EncodeBodyCharacter(report, pos);
    const bool last = pos >= report.size();
    const std::size_t room = kMaxMailAddressLength - (last ? 0 : cutNote.size());
    if (address.size() + body.size() + next.size() > room) {
      pos = before;
      break;
    }
    body += next;
  }
  if (pos < report.size()) body += cutNote;
  return address + body;
}

std::string TCrashReporter::AppendToReportFile(const std::string& report) {
  try {
    const std::string path = ReportFile();
    platform::WriteFileAtomically(path, AppendReport(platform::ReadWholeFile(path).value_or(""), report));
    return {};
  } catch (...) {
    return platform::ErrorMessage(std::current_exception());
  }
}

platform::TReportAnswer TCrashReporter::Ask(const platform::TReportRequest& request) {
  FShowing = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } reset{FShowing};
  for (;;) {
    const auto answer = FWindow.Show(request);
    if (answer != platform::TReportAnswer::Send) return answer;
    FShell.OpenAddress(MailAddressFor(request.Message, request.Report));
  }
}

void TCrashReporter::Restart() {
  // The settings are saved on the way out before the new instance starts,
  // so that it reads what this one leaves.
  End();
  try {
    FStarter.StartDetached(FSetup.AppFileName, FSetup.AppDir);
  } catch (...) {
    FBoxes.Show(platform::TMessageKind::ErrorOk, std::string("Ratemill konnte nicht neu gestartet werden.\n") +
                                                     platform::ErrorMessage(std::current_exception()));
  }
}

void TCrashReporter::End() {
  FEnding = true;
  if (FSetup.EndProgram) FSetup.EndProgram();
}

}  // namespace ratemill::crash
