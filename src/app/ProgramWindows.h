#pragma once

#include <memory>

#include "platform/Services.h"

namespace ratemill {

class TConsoleOutputForm;
class TForm3;
class TInfoForm;
class TMainForm;
class TTranslateForm;

// The program's five windows. The main window owns the others (they are its
// children), so only it stands in the taskbar and they close with it; the
// other pointers stay valid as long as `Main` lives.
struct ProgramWindows {
  ProgramWindows();
  ProgramWindows(ProgramWindows&&) noexcept;
  ProgramWindows& operator=(ProgramWindows&&) noexcept;
  ~ProgramWindows();

  std::unique_ptr<TMainForm> Main;
  TForm3* Form3 = nullptr;
  TInfoForm* InfoForm = nullptr;
  TTranslateForm* TranslateForm = nullptr;
  TConsoleOutputForm* ConsoleOutputForm = nullptr;
};

// Creates the windows in start-up order and lets each know the others it
// talks to. When the main window's start-up ended the program (the converter
// is missing, see `TMainForm::Terminated`), only `Main` is created. Nothing is
// shown: that is the caller's step.
ProgramWindows CreateWindows(const platform::TServices& services);

}  // namespace ratemill
