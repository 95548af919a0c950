#include <memory>

#include "about/ProgramPictures.h"
#include "app/Application.h"
#include "app/DesktopStart.h"
#include "app/ProgramWindows.h"
#include "frontend/MainForm.h"
#include "platform/AppDir.h"
#include "platform/ProgramStart.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtMainThreadQueue.h"
#include "platform/qt/QtMessageBoxes.h"
#include "platform/qt/QtReportWindow.h"

int main(int argc, char** argv) {
  using namespace ratemill;

  TApplication application(argc, argv);
  application.setApplicationName("Ratemill");
  application.setWindowIcon(ProgramIcon());

  platform::TQtMessageBoxes messageBoxes("Ratemill");
  platform::TQtDialogs dialogs;
  const std::unique_ptr<platform::IShell> shell = platform::CreateShell();
  platform::TQtMainThreadQueue queue;

  platform::TServices services;
  services.MessageBoxes = &messageBoxes;
  services.Dialogs = &dialogs;
  services.Shell = shell.get();
  services.Queue = &queue;
  if (!PrepareDesktopStart(application, services)) return 1;
  services.AppFileName = platform::GetAppFileName();

  // Crash reporting: errors nobody handles and real crashes end in a report.
  platform::TQtReportWindow reportWindow;
  const std::unique_ptr<platform::IProgramStarter> programStarter = platform::CreateProgramStarter();
  TCrashReporting crashReporting(services, reportWindow, *programStarter);
  crashReporting.CatchCrashes();

  const ProgramWindows windows = CreateWindows(services);
  if (windows.Main->Terminated()) return 0;

  windows.Main->show();
  // The source file of a running batch goes into reports; a crash of the
  // previous run is offered once the main window stands.
  TMainForm& mainForm = *windows.Main;
  crashReporting.SetCurrentSourceFile([&mainForm] { return mainForm.CurrentFile(); });
  crashReporting.ShowPendingReport();
  return application.exec();
}
