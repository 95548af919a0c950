#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"

namespace ratemill {

void TMainForm::ProcessRunnerRead(const TProcessRunner&, const std::string& s, bool startsOnNewLine) {
  if (!FCaptureOutput || FConsoleOutputForm == nullptr) return;
  if (startsOnNewLine)
    FConsoleOutputForm->AddInfoLine(s);
  else
    FConsoleOutputForm->ReplaceInfoLine(s);
}

void TMainForm::ProcessRunnerErrorRead(const TProcessRunner& sender, const std::string& s, bool startsOnNewLine) {
  if (!FCaptureOutput || FConsoleOutputForm == nullptr) return;
  if (startsOnNewLine) {
    // The header names the file once for all its error lines, also when they
    // come in several runs of the same file one after the other.
    if (FCurrentFile != FLastErrorFile) {
      FConsoleOutputForm->AddErrorLine("Error while processing file " + FCurrentFile);
      FConsoleOutputForm->AddErrorLine("Command line: " + sender.CommandLine());
    }
    FConsoleOutputForm->AddErrorLine(s);
  } else {
    FConsoleOutputForm->ReplaceErrorLine(s);
  }
  FLastErrorFile = FCurrentFile;
}

}  // namespace ratemill
