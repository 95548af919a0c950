#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/BatchEngine.h"
#include "batch/BatchPlan.h"
#include "batch/RunOverview.h"
#include "frontend/MainForm.h"

class QPushButton;
class QTimer;

namespace ratemill {

class TConsoleOutputForm;
class TRunStatusModel;

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

// The text of the warning box that names the files of a run that failed: the
// first `kNamedFailures` of them, then "%1 more" (`more`) for the rest.
inline constexpr std::size_t kNamedFailures = 5;
std::string FailedFilesText(const std::string& heading, const std::string& more,
                            const std::vector<std::string>& failed);

// One press of Start: check, plan, ask, run, finish. Each step before the
// run returns false when the run ends there. It sees the main window's state
// as the window's own code does, and is the observer of the run's engine.
// It keeps where each file of the run stands: in the console window's status
// table, in the main window's status bar while the run converts, and in the
// summary and the file list at its end.
class TMainForm::TBatchRun : public IBatchObserver {
 public:
  explicit TBatchRun(TMainForm& form);
  ~TBatchRun() override;
  TBatchRun(const TBatchRun&) = delete;
  TBatchRun& operator=(const TBatchRun&) = delete;

  bool Check();
  void Plan();
  bool Ask();
  // False when the run did not go through every file: cancelled, closed, or
  // a converter that could not be started.
  bool Run();
  // After `Run`, however it ended.
  void Finish(bool complete);

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
  void ReportSkipped(std::size_t entry);
  void FlushBlock(std::size_t index, TBlock& block);
  static void Apply(std::vector<std::string>& lines, const std::string& s, bool startsOnNewLine);

  // The console window's status table, when there is one.
  TRunStatusModel* Table() const;
  // Marks where the file's lines begin in the error pane, before they are added.
  void MarkErrorBlock(std::size_t entry);
  void Settle(std::size_t entry, TFileState state, const std::string& note, bool warning = false,
              const std::optional<TWavFormat>& format = std::nullopt);
  void ShowRunProgress(bool visible);
  void UpdateRunProgress();
  void Conclude();

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

  // Where each plan entry stands.
  std::vector<TFileState> FStates;
  bool FTwoPass = false;
  // One per engine job.
  std::vector<TProgressTracker> FTrackers;
  TRunProgress FProgress;
  TRunProgress::Clock::time_point FRunStart{};
  std::size_t FStarted = 0;
  // Moves the time left on while no converter says anything.
  std::unique_ptr<QTimer> FProgressTimer;
  bool FJobsRan = false;
  // The status table holds one row per plan entry of this run.
  bool FTableRows = false;
};

}  // namespace ratemill
