#include "frontend/BatchRun.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"

namespace ratemill {

void AddErrorOutput(TConsoleOutputForm& form, const std::string& file, const std::string& commandLine,
                    std::string& lastErrorFile, const std::string& s, bool startsOnNewLine) {
  if (startsOnNewLine) {
    // The header names the file once for all its error lines, also when they
    // come in several runs of the same file one after the other.
    if (file != lastErrorFile) {
      form.AddErrorLine("Error while processing file " + file);
      form.AddErrorLine("Command line: " + commandLine);
    }
    form.AddErrorLine(s);
  } else {
    form.ReplaceErrorLine(s);
  }
  lastErrorFile = file;
}

void TMainForm::ProcessRunnerRead(const TProcessRunner&, const std::string& s, bool startsOnNewLine) {
  if (!FCaptureOutput || FConsoleOutputForm == nullptr) return;
  if (startsOnNewLine)
    FConsoleOutputForm->AddInfoLine(s);
  else
    FConsoleOutputForm->ReplaceInfoLine(s);
}

void TMainForm::ProcessRunnerErrorRead(const TProcessRunner& sender, const std::string& s, bool startsOnNewLine) {
  if (!FCaptureOutput || FConsoleOutputForm == nullptr) return;
  AddErrorOutput(*FConsoleOutputForm, FCurrentFile, sender.CommandLine(), FLastErrorFile, s, startsOnNewLine);
}

}  // namespace ratemill
