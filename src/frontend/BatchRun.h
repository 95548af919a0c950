#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchEngine.h"
#include "batch/BatchPlan.h"
#include "frontend/MainForm.h"

class QPushButton;

namespace ratemill {

class TConsoleOutputForm;

// Adds one line of a converter's standard error to the error pane, headed by
// the file's name and command line when the pane's last error lines belong
// to another file. `lastErrorFile` names that file and is updated.
void AddErrorOutput(TConsoleOutputForm& form, const std::string& file, const std::string& commandLine,
                    std::string& lastErrorFile, const std::string& s, bool startsOnNewLine);

// The Cancel button and the busy cursor of one run. Whichever way the run
// ends, an error included, both are back to normal when this goes.
class TRunControls {
 public:
  explicit TRunControls(QPushButton& cancelButton);
  ~TRunControls();
  TRunControls(const TRunControls&) = delete;
  TRunControls& operator=(const TRunControls&) = delete;

  void HideCancel();
  void SetBusyCursor();
  void RestoreCursor();

 private:
  QPushButton& FCancelButton;
  bool FBusy = false;
};

// One press of Start: check, plan, ask, run, finish. Each step returns false
// when the run ends there. It sees the main window's state as the window's
// own code does, and is the observer of the run's engine.
class TMainForm::TBatchRun : public IBatchObserver {
 public:
  explicit TBatchRun(TMainForm& form);

  bool Check();
  void Plan();
  bool Ask();
  bool Run();
  void Finish();

  void JobStarting(std::size_t index, const TBatchJob& job) override;
  void JobStartFailed(std::size_t index, const TBatchJob& job, const std::string& message) override;
  void JobOutput(std::size_t index, const std::string& s, bool startsOnNewLine) override;
  void JobErrorOutput(std::size_t index, const std::string& s, bool startsOnNewLine) override;
  void JobEnded(std::size_t index, const TBatchJob& job, const TJobResult& result) override;

 private:
  // The lines of one file, held back while several converters run so that
  // they reach the panes together, in the order the files finish.
  struct TBlock {
    std::vector<std::string> Info;
    std::vector<std::string> Error;
  };

  bool AskOne(std::size_t entry);
  bool RunDebug();
  bool RunJobs();
  bool Live() const { return FJobs <= 1; }
  void ReportSkipped(const TPlannedEntry& entry);
  void FlushBlock(const TBatchJob& job, TBlock& block);
  static void Apply(std::vector<std::string>& lines, const std::string& s, bool startsOnNewLine);

  TMainForm& F;
  std::optional<TRunControls> FControls;
  TArgumentFragments FFragments;
  std::string FScriptPath;
  // Where the converter is: the program's folder, else the data folder.
  std::string FConverterDir;
  std::string FTerminal;
  std::vector<std::string> FEntries;
  std::vector<TPlannedEntry> FPlan;
  std::vector<bool> FConvert;
  // The plan entry of each engine job.
  std::vector<std::size_t> FJobEntry;
  std::vector<TBatchJob> FRunJobs;
  std::vector<TBlock> FBlocks;
  int FJobs = 1;
  bool FStartFailed = false;
};

}  // namespace ratemill
