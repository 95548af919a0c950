#include <memory>

#include "about/ProgramPictures.h"
#include "app/Application.h"
#include "app/ProgramWindows.h"
#include "frontend/MainForm.h"
#include "platform/AppDir.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtMainThreadQueue.h"
#include "platform/qt/QtMessageBoxes.h"

int main(int argc, char** argv) {
  using namespace ratemill;

  TApplication application(argc, argv);
  application.setApplicationName("Ratemill");
  application.setWindowIcon(ProgramIcon());

  platform::TQtMessageBoxes messageBoxes("Ratemill");
  platform::TQtDialogs dialogs;
  const std::unique_ptr<platform::IShell> shell = platform::CreateShell();
  platform::TQtMainThreadQueue queue;
  InstallErrorBoxHandler(messageBoxes);

  platform::TServices services;
  services.MessageBoxes = &messageBoxes;
  services.Dialogs = &dialogs;
  services.Shell = shell.get();
  services.Queue = &queue;
  services.AppDir = platform::GetAppDir();
  services.AppFileName = platform::GetAppFileName();

  const ProgramWindows windows = CreateWindows(services);
  if (windows.Main->Terminated()) return 0;

  windows.Main->show();
  return application.exec();
}
