#include "app/ProgramWindows.h"

#include "about/InfoForm.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/Form3.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"

namespace ratemill {

ProgramWindows::ProgramWindows() = default;
ProgramWindows::ProgramWindows(ProgramWindows&&) noexcept = default;
ProgramWindows& ProgramWindows::operator=(ProgramWindows&&) noexcept = default;
ProgramWindows::~ProgramWindows() = default;

ProgramWindows CreateWindows(const platform::TServices& services) {
  ProgramWindows windows;
  windows.Main = std::make_unique<TMainForm>(services);
  TMainForm* main = windows.Main.get();
  if (main->Terminated()) return windows;

  windows.Form3 = new TForm3(main);
  windows.InfoForm = new TInfoForm(services, main);
  windows.TranslateForm = new TTranslateForm(services, main);
  windows.ConsoleOutputForm = new TConsoleOutputForm(main);

  main->SetInfoForm(windows.InfoForm);
  main->SetConsoleOutputForm(windows.ConsoleOutputForm);
  windows.InfoForm->SetMainForm(main);
  windows.InfoForm->SetTranslateForm(windows.TranslateForm);
  windows.TranslateForm->SetMainForm(main);
  windows.TranslateForm->SetInfoForm(windows.InfoForm);
  return windows;
}

}  // namespace ratemill
