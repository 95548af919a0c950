#include <memory>

#include "about/InfoForm.h"
#include "about/ProgramPictures.h"
#include "app/Application.h"
#include "app/DesktopStart.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/Form3.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"
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
  if (!PrepareDesktopStart(application, services)) return 1;
  services.AppFileName = platform::GetAppFileName();

  TMainForm mainForm(services);
  if (mainForm.Terminated()) return 0;

  // The other windows belong to the main window, so only it stands in the
  // taskbar and they go with it.
  auto* form3 = new TForm3(&mainForm);
  auto* infoForm = new TInfoForm(services, &mainForm);
  auto* translateForm = new TTranslateForm(services, &mainForm);
  auto* consoleOutputForm = new TConsoleOutputForm(&mainForm);
  (void)form3;

  mainForm.SetInfoForm(infoForm);
  mainForm.SetConsoleOutputForm(consoleOutputForm);
  infoForm->SetMainForm(&mainForm);
  infoForm->SetTranslateForm(translateForm);
  translateForm->SetMainForm(&mainForm);
  translateForm->SetInfoForm(infoForm);

  mainForm.show();
  return application.exec();
}
