#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>

namespace ratemill {

namespace platform {
class IMessageBoxes;
class IProgramStarter;
class IReportWindow;
struct TServices;
}  // namespace platform

namespace crash {
class TCrashReporter;
}

// The GUI application. Whatever an event handler throws and nobody caught on
// the way is handed to the global error handling here, naming the receiving
// object, and the event loop goes on.
class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);

  bool notify(QObject* receiver, QEvent* event) override;
};

// The error's message in an error box, and nothing else: the global error
// handling for windows tested on their own.
void InstallErrorBoxHandler(platform::IMessageBoxes& boxes);

// The program's global error handling: crash reporting with the report
// window, the report file in the program's folder and the services' shell
// and message boxes. Installed while the object lives. Restart and close end
// the program through its normal close path: every window is closed, so the
// main window saves the settings, and the event loop ends.
class TCrashReporting {
 public:
  TCrashReporting(const platform::TServices& services, platform::IReportWindow& window,
                  platform::IProgramStarter& starter);
  ~TCrashReporting();
  TCrashReporting(const TCrashReporting&) = delete;
  TCrashReporting& operator=(const TCrashReporting&) = delete;

  // Tells reports which source file a running batch converts.
  void SetCurrentSourceFile(std::function<std::string()> currentSourceFile);
  // Catches real crashes from now on, writing the report for the next start.
  void CatchCrashes();
  // Offers the report of a crash of the previous run; see `TCrashReporter`.
  bool ShowPendingReport();

  crash::TCrashReporter& Reporter() { return *FReporter; }

 private:
  std::function<std::string()> FCurrentSourceFile;
  std::unique_ptr<crash::TCrashReporter> FReporter;
  std::string FSettingsFile;
  std::string FVersion;
};

}  // namespace ratemill
