#pragma once

#include <exception>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "crash/CrashReport.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramStart.h"
#include "platform/ReportWindow.h"
#include "platform/Shell.h"

namespace ratemill::crash {

// Where reports go and what they tell besides the error.
struct TCrashReportSetup {
  std::string ReportFolder;  // holds bugreport.txt and the pending report; ends with the delimiter
  std::string SettingsFile;
  std::string Version;
  std::string ToolkitVersion;
  std::string AppFileName;  // the executable a restart starts
  std::string AppDir;       // the folder a restart starts it in
  std::string MailAddress;  // where Send addresses the report
  // The source file a running batch is converting; may be unset.
  std::function<std::string()> CurrentSourceFile;
  // Ends the program through its normal close path (the settings are saved).
  std::function<void()> EndProgram;
  // Seconds since 1970, for the report's time; the system clock when unset.
  std::function<long long()> Now;
};

// The program's global error handling: every error nobody handled is written
// to bugreport.txt and shown in the report window, whose answer is carried
// out here. Runs on the main thread; an error handed over from another thread
// is written to the report file only, since no window may be shown there.
class TCrashReporter {
 public:
  TCrashReporter(TCrashReportSetup setup, platform::IReportWindow& window, platform::IShell& shell,
                 platform::IProgramStarter& starter, platform::IMessageBoxes& boxes);

  std::string ReportFile() const { return FSetup.ReportFolder + kReportFileName; }
  std::string PendingReportFile() const { return FSetup.ReportFolder + kPendingReportFileName; }

  // Reports one error; `place` names where it came from, or is empty.
  void HandleError(std::exception_ptr error, const void* sender, const std::string& place);

  // At start-up: when the previous run left a crash report, tells the user
  // and offers it, then folds it into bugreport.txt. Returns whether there
  // was one.
  bool ShowPendingReport();

  // The mail address Send opens for `report` about `message`: subject and
  // body percent-encoded, the body cut so that the whole address stays
  // within `kMaxMailAddressLength`.
  std::string MailAddressFor(const std::string& message, const std::string& report) const;

  // Mail handlers differ in the longest address they take whole: some cut or
  // refuse addresses above about 2000 characters (the old limit of the
  // desktop's URL handling on Windows), while the program opener on Linux
  // takes far more. The lowest common length keeps Send working everywhere;
  // the full report stays in bugreport.txt.
  static constexpr std::size_t kMaxMailAddressLength = 2000;

 private:
  // Appends to bugreport.txt; the failure's message, or empty text.
  std::string AppendToReportFile(const std::string& report);
  // Shows the window until an answer other than Send; Send opens the mail.
  platform::TReportAnswer Ask(const platform::TReportRequest& request);
  void Restart();
  void End();

  TCrashReportSetup FSetup;
  platform::IReportWindow& FWindow;
  platform::IShell& FShell;
  platform::IProgramStarter& FStarter;
  platform::IMessageBoxes& FBoxes;
  std::thread::id FMainThread;
  std::set<std::string> FReported;
  bool FShowing = false;
  bool FEnding = false;
};

}  // namespace ratemill::crash
