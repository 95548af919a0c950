#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "GuiFixture.h"

namespace ratemill {
class TConsoleOutputForm;
class TInfoForm;
class TMainForm;
class TTranslateForm;
}  // namespace ratemill

namespace ratemill::test {

// The program's windows, created and wired by start-up's own `CreateWindows`,
// in a program folder of their own with the converter present. `language`,
// when not empty, is written as the language file first; `programFile` is the
// executable whose version the About window shows.
class TAboutWindows {
 public:
  explicit TAboutWindows(const std::string& language = {}, const std::string& programFile = {});
  ~TAboutWindows();

  TGuiFixture Fixture;
  std::unique_ptr<TMainForm> Main;
  TInfoForm* Info = nullptr;
  TTranslateForm* Translate = nullptr;
  TConsoleOutputForm* Console = nullptr;
};

// Runs `inside` with the modal window that the caller is about to open, once
// it is open. Whatever modal window `inside` leaves open is then closed, so
// that a failed check never leaves a test waiting for a human.
void WhenModal(std::function<void(QWidget* modal)> inside);

}  // namespace ratemill::test
