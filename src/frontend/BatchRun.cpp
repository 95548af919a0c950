#include "frontend/BatchRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "frontend/BatchLauncher.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/EventGuard.h"
#include "frontend/FilenameEdit.h"
#include "frontend/RunStatusModel.h"
#include "frontend/arguments/ConverterArguments.h"
#include "frontend/arguments/WavHeaderReader.h"
#include "i18n/MessageFormat.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/ProcessServicesChild.h"
#include "platform/ProgramFolders.h"

namespace ratemill {
namespace {

using platform::TMessageAnswer;
using platform::TMessageKind;

const char kMissingConverter[] = "Fehler! Datei ssrc.exe nicht im Programmverzeichnis vorhanden!";

// One header buffer for the program's life: a source whose header cannot be
// read is named from what the last readable one left there.
TWavHeaderReader& WavHeader() {
  static TWavHeaderReader reader;
  return reader;
}

std::string Text(const QString& text) { return text.toStdString(); }

// `mark` ("%1", "%2") in `text` replaced by `value`.
std::string Fill(std::string text, const std::string& value, const std::string& mark = "%1") {
  const std::size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
  return text;
}

using Clock = TRunProgress::Clock;

// While no converter reports progress (a slow start, a long final write),
// the time left still moves on once a second.
constexpr int kProgressIntervalMs = 1000;

}  // namespace

std::string FailedFilesText(const std::string& heading, const std::string& more,
                            const std::vector<std::string>& failed) {
  std::string text = heading;
  const std::size_t named = std::min(failed.size(), kNamedFailures);
  for (std::size_t i = 0; i < named; ++i) text += "\n" + failed[i];
  if (failed.size() > named) text += "\n" + Fill(more, std::to_string(failed.size() - named));
  return text;
}

TRunControls::TRunControls(QPushButton& cancelButton) : FCancelButton(cancelButton) { FCancelButton.setVisible(true); }

TRunControls::~TRunControls() {
  HideCancel();
  RestoreCursor();
}

void TRunControls::HideCancel() { FCancelButton.setVisible(false); }

void TRunControls::SetBusyCursor() {
  if (FBusy) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  FBusy = true;
}

void TRunControls::RestoreCursor() {
  if (!FBusy) return;
  QApplication::restoreOverrideCursor();
  FBusy = false;
}

TMainForm::TBatchRun::TBatchRun(TMainForm& form) : F(form) {}

TMainForm::TBatchRun::~TBatchRun() {
  // A run that ends by an error still leaves the status bar as between runs.
  if (FJobsRan) ShowRunProgress(false);
}

TRunStatusModel* TMainForm::TBatchRun::Table() const {
  return FTableRows && F.FConsoleOutputForm != nullptr ? F.FConsoleOutputForm->RunStatus : nullptr;
}

// The preconditions, the runner's settings and the output folder; nothing of
// the list is looked at yet.
bool TMainForm::TBatchRun::Check() {
  platform::IMessageBoxes& boxes = *F.FServices.MessageBoxes;
  const std::string& appDir = F.FServices.AppDir;
  const std::string& dataDir = F.FServices.DataDir;

  if (F.TempFileCheckBox->isChecked()) {
    const std::string tempFolder = platform::ExtractFilePath(F.TempFilenameEdit->FileName());
    if (tempFolder.empty() || !platform::DirectoryExists(tempFolder)) {
      boxes.Show(TMessageKind::ErrorOk, F.FMsgNoTmpFileName);
      return false;
    }
  }
  if (!F.CheckAttenuation()) return false;

  F.FCaptureOutput = !F.UseOldBatchModeCheckbox->isChecked();
  if (F.FCaptureOutput) {
    if (F.FConsoleOutputForm != nullptr) {
      F.FConsoleOutputForm->Clear();
      F.FConsoleOutputForm->ShowBeside(F);
    }
    // The panes keep what is shown; a copy of every line in the runner would
    // only grow with each run and never be read.
    F.ProcessRunner.SetConsoleOptions(
        {TConsoleOption::coRedirect, TConsoleOption::coSeparateError, TConsoleOption::coOwnerData});
    F.ProcessRunner.StartupInfo().ShowWindow = TRunnerShowWindow::swHide;
  } else {
    F.ProcessRunner.SetConsoleOptions({});
    F.ProcessRunner.StartupInfo().ShowWindow = TRunnerShowWindow::swNormal;
  }

  FControls.emplace(*F.CancelButton);
  F.FCancelRequested = false;

  if (F.FileList->count() == 0) {
    boxes.Show(TMessageKind::WarningOk, F.FMsgNoFilesSelected);
    return false;
  }
  if (platform::LocateProgramFile(appDir, dataDir, "ssrc.exe").empty()) {
    boxes.Show(TMessageKind::ErrorOk, kMissingConverter);
    return false;
  }

  FControls->SetBusyCursor();
  switch (F.PrioComboBox->currentIndex()) {
    case 0: F.ProcessRunner.SetPriority(TProcessPriority::ppIdle); break;
    case 1: F.ProcessRunner.SetPriority(TProcessPriority::ppNormal); break;
    case 2: F.ProcessRunner.SetPriority(TProcessPriority::ppHigh); break;
    default: break;
  }
  F.SetStatusText(0, F.FMsgStatusCheckingParameters);

  TConversionOptions options;
  options.SampleRateIndex = F.ComboSampleRate->currentIndex();
  options.SampleRateText = Text(F.ComboSampleRate->currentText());
  options.BitsIndex = F.ComboBits->currentIndex();
  options.BitsText = Text(F.ComboBits->currentText());
  options.AttenuationText = Text(F.AttenuateDBEdit->text());
  options.TwoPass = F.CheckTwoPass->isChecked();
  FTwoPass = options.TwoPass;
  options.Normalize = F.CheckNormalize->isChecked();
  if (const int dither = F.DitherIndex(); dither >= 0) options.DitherIndex = dither;
  options.NoiseText = Text(F.NoiseComboBox->currentText());
  options.Fast = F.CheckFast->isChecked();
  options.TempFile = F.TempFileCheckBox->isChecked();
  options.TempFileName = F.TempFilenameEdit->FileName();
  options.UseHP = F.HPCheckbox->isChecked();
  options.CaptureOutput = F.FCaptureOutput;
  FFragments = BuildArgumentFragments(options);

  FScriptPath = dataDir + kBatchScriptName;
  // A user whose program folder is not writable adds the converter to the
  // data folder instead.
  std::string converterName = FFragments.ConverterName;
  while (!converterName.empty() && converterName.back() == ' ') converterName.pop_back();
  FConverterDir = platform::ProgramFileFolder(appDir, dataDir, converterName);
  if (F.FCaptureOutput) {
    F.ProcessRunner.SetApplicationName(FConverterDir + FFragments.ConverterName);
  } else {
    const char* searchPath = std::getenv("PATH");
    FTerminal = FindTerminal(searchPath != nullptr ? searchPath : "");
    F.ProcessRunner.SetApplicationName(MakeBatchLaunch(FScriptPath, "", FTerminal).ApplicationName);
  }

  std::string targetDirectory = F.TargetDirectory();
  if (!targetDirectory.empty()) {
    // A folder typed with the other delimiter that Windows takes ends there
    // already; only a folder without one gets the system's own.
    if (const std::string withDelimiter = platform::IncludeTrailingPathDelimiter(targetDirectory);
        withDelimiter != targetDirectory) {
      targetDirectory = withDelimiter;
      F.SetTargetDirectory(targetDirectory);
    }
    if (!platform::DirectoryExists(targetDirectory)) {
      const TMessageAnswer answer = boxes.Show(TMessageKind::ConfirmYesCancel,
                                               FillFirstStringPlaceholder(F.FMsgCreateNewDirQuery, targetDirectory));
      if (answer != TMessageAnswer::Yes) {
        F.SetStatusText(0, "");
        return false;
      }
      // A folder that cannot be made shows up as the converter's own error.
      platform::ForceDirectories(targetDirectory);
    }
  }
  return true;
}

// Every entry's output name, argument string and file-system facts, decided
// once before anything is asked or started.
void TMainForm::TBatchRun::Plan() {
  // The entries as they stand now. The list stays usable during the run, and
  // entries removed or added meanwhile must neither shift the run onto
  // another file nor end it out of range.
  FEntries = F.FileListEntries();
  TPlanOptions options;
  options.Fragments = FFragments;
  options.BitsText = Text(F.ComboBits->currentText());
  options.OutputFolder = platform::IncludeTrailingPathDelimiter(F.TargetDirectory());
  options.WholeOutputs = F.FCaptureOutput;
  options.ProcessId = platform::CurrentProcessId();
  FPlan = PlanBatch(FEntries, options, TSystemBatchFiles(), WavHeader());
  FConvert.assign(FPlan.size(), false);
  FStates.assign(FPlan.size(), TFileState::Waiting);
  // Debug mode converts nothing, so there is nothing to follow.
  if (!F.FDebugMode && F.FConsoleOutputForm != nullptr && F.FConsoleOutputForm->RunStatus != nullptr) {
    F.FConsoleOutputForm->RunStatus->Reset(FEntries);
    FTableRows = true;
  }
  // Several converters at once only where their output can be shown apart;
  // the old batch way and debug mode go one file at a time.
  FJobs = F.FCaptureOutput && !F.FDebugMode ? F.ConcurrentJobs() : 1;
}

// The overwrite question of one entry. An output that an earlier entry of
// this run is going to write counts as existing, so the user is asked as if
// that file had been written already.
bool TMainForm::TBatchRun::AskOne(std::size_t entry) {
  TPlannedEntry& planned = FPlan[entry];
  if (!planned.SkipReason.empty()) {
    ReportSkipped(entry);
    return true;
  }
  // The output was named without the source's own header; the user sees why.
  if (!planned.HeaderProblem.empty() && F.FConsoleOutputForm != nullptr) {
    MarkErrorBlock(entry);
    F.FConsoleOutputForm->AddErrorLine(planned.Job.Source + ": " + planned.HeaderProblem);
  }
  const bool written = planned.SameOutputBefore >= 0 && FConvert[static_cast<std::size_t>(planned.SameOutputBefore)];
  bool convert = true;
  if (planned.OutputExists || written) {
    // Only Yes replaces: a box closed without an answer, or while the
    // program is closing, leaves the file alone.
    convert = F.FServices.MessageBoxes->Show(TMessageKind::WarningYesNo, "Zieldatei " + planned.Job.Output +
                                                                             " bereits vorhanden. Überschreiben?") ==
              TMessageAnswer::Yes;
  }
  if (F.FDebugMode) {
    convert = false;
  } else if (!convert) {
    Settle(entry, TFileState::Skipped, F.FMsgOutputExistsReason);
  }
  FConvert[entry] = convert;
  return !F.FClosing;
}

// Every question comes before the first converter starts, so a run that has
// begun never waits for an answer. Debug mode starts nothing and keeps its
// question-then-command order per file.
bool TMainForm::TBatchRun::Ask() {
  if (F.FDebugMode) return true;
  for (std::size_t i = 0; i < FPlan.size(); ++i) {
    if (!AskOne(i)) return false;
  }
  return true;
}

bool TMainForm::TBatchRun::Run() { return F.FDebugMode ? RunDebug() : RunJobs(); }

bool TMainForm::TBatchRun::RunDebug() {
  for (std::size_t i = 0; i < FPlan.size(); ++i) {
    // A closed main window ends the run like Cancel: the program is about to
    // end and must not go on showing boxes that nobody waits for.
    if (F.FCancelRequested || F.FClosing) return false;
    F.SetStatusText(0, F.FMsgStatusProcessingFile + platform::ExtractFileName(FPlan[i].Job.Source));
    QApplication::processEvents();
    if (F.FClosing) return false;
    if (!AskOne(i)) return false;
    if (FPlan[i].SkipReason.empty())
      F.FServices.MessageBoxes->Show(TMessageKind::PlainOk, DebugText(FFragments, FPlan[i].OutputArguments));
  }
  return true;
}

bool TMainForm::TBatchRun::RunJobs() {
  std::vector<TBatchJob> jobs;
  for (std::size_t i = 0; i < FPlan.size(); ++i) {
    if (!FConvert[i]) continue;
    TBatchJob job = FPlan[i].Job;
    if (F.FCaptureOutput) {
      job.ApplicationName = FConverterDir + FFragments.ConverterName;
      job.CommandLine = platform::Ansi2OEM(FPlan[i].Arguments);
    } else {
      const TBatchLaunch launch = MakeBatchLaunch(FScriptPath, job.Title, FTerminal);
      job.ApplicationName = launch.ApplicationName;
      job.CommandLine = launch.CommandLine;
    }
    jobs.push_back(std::move(job));
    FJobEntry.push_back(i);
  }
  FBlocks.assign(jobs.size(), TBlock{});
  FRunJobs = jobs;
  FTrackers.assign(jobs.size(), TProgressTracker(FTwoPass));
  std::vector<std::uint64_t> weights;
  weights.reserve(jobs.size());
  for (std::size_t entry : FJobEntry) weights.push_back(FPlan[entry].DataSize);
  FRunStart = Clock::now();
  FProgress.Start(std::move(weights), FRunStart);
  FJobsRan = true;
  FProgressTimer = std::make_unique<QTimer>();
  FProgressTimer->setInterval(kProgressIntervalMs);
  QObject::connect(FProgressTimer.get(), &QTimer::timeout, Guarded([this] { UpdateRunProgress(); }));
  FProgressTimer->start();
  ShowRunProgress(true);
  UpdateRunProgress();

  TRunnerSetup setup;
  setup.Priority = F.ProcessRunner.Priority();
  setup.Capture = F.FCaptureOutput;
  setup.StartupInfo = F.ProcessRunner.StartupInfo();
  TBatchEngine engine(*F.FServices.Queue, *this, setup, FJobs);
  const std::size_t count = jobs.size();
  engine.Start(std::move(jobs));
  while (engine.Pump()) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (F.FCancelRequested) engine.Cancel();
    if (F.FClosing) engine.Close();
  }
  FProgressTimer.reset();
  // A Cancel during the last file changes nothing but the button.
  return engine.StartedJobs() == count && !FStartFailed && !F.FClosing;
}

void TMainForm::TBatchRun::Finish(bool complete) {
  if (F.FDebugMode) {
    // A dry run that was cancelled leaves everything as it was.
    if (!complete) return;
    FControls->HideCancel();
    F.SetStatusText(0, "");
    QApplication::processEvents();
    FControls->RestoreCursor();
    // Every entry the run went through leaves the list.
    F.RemoveFileListEntries(FEntries);
    return;
  }
  FControls->HideCancel();
  ShowRunProgress(false);
  FControls->RestoreCursor();
  Conclude();
}

// What became of each file: entries never started were cancelled; the
// converted and skipped ones leave the list, the failed and cancelled ones
// stay, selected, so that Start tries exactly those again. Entries added
// during the run were never looked at and stay as they are.
void TMainForm::TBatchRun::Conclude() {
  const Clock::time_point now = Clock::now();
  TRunCounts counts;
  counts.Files = FPlan.size();
  counts.Elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - FRunStart);
  std::vector<std::string> leaving;
  std::vector<std::string> staying;
  std::vector<std::string> failed;
  for (std::size_t i = 0; i < FPlan.size(); ++i) {
    if (FStates[i] == TFileState::Waiting || FStates[i] == TFileState::Running) Settle(i, TFileState::Cancelled, "");
    switch (FStates[i]) {
      case TFileState::Done: ++counts.Converted; break;
      case TFileState::Skipped: ++counts.Skipped; break;
      case TFileState::Failed:
        ++counts.Failed;
        failed.push_back(FEntries[i]);
        break;
      default: ++counts.Cancelled; break;
    }
    const bool stays = FStates[i] == TFileState::Failed || FStates[i] == TFileState::Cancelled;
    (stays ? staying : leaving).push_back(FEntries[i]);
  }
  F.RemoveFileListEntries(leaving);
  F.SelectFileListEntries(staying);

  const std::string summary = RunSummary(counts, F.FMsgSummary);
  F.SetStatusText(0, summary);
  if (F.FCaptureOutput && F.FConsoleOutputForm != nullptr) {
    F.FConsoleOutputForm->AddInfoLine(summary);
    F.FConsoleOutputForm->Flush();
  }
  // A closing program shows no more boxes: nobody would be there to read
  // them. A converter that could not start has had its own box; it is named
  // again only beside files that failed otherwise.
  if (failed.size() <= (FStartFailed ? 1u : 0u) || F.FClosing) return;
  F.FServices.MessageBoxes->Show(TMessageKind::WarningOk,
                                 FailedFilesText(F.FMsgFailedFilesBox, F.FMsgMoreFailedFiles, failed));
}

void TMainForm::TBatchRun::Settle(std::size_t entry, TFileState state, const std::string& note, bool warning,
                                  const std::optional<TWavFormat>& format) {
  FStates[entry] = state;
  if (TRunStatusModel* table = Table()) table->SetEnded(entry, state, note, warning, format, Clock::now());
}

void TMainForm::TBatchRun::MarkErrorBlock(std::size_t entry) {
  if (TRunStatusModel* table = Table()) table->SetErrorLine(entry, F.FConsoleOutputForm->ErrorLinesAdded());
}

void TMainForm::TBatchRun::ShowRunProgress(bool visible) {
  F.RunProgressBar->setVisible(visible);
  F.RunProgressLabel->setVisible(visible);
  if (!visible) {
    F.RunProgressBar->reset();
    F.RunProgressLabel->clear();
  }
}

void TMainForm::TBatchRun::UpdateRunProgress() {
  const int value = static_cast<int>(std::lround(FProgress.Fraction() * kRunProgressSteps));
  if (F.RunProgressBar->value() != value) F.RunProgressBar->setValue(value);
  std::string text = Fill(Fill(F.FMsgProgressCount, std::to_string(FStarted)), std::to_string(FProgress.Files()), "%2");
  if (const std::optional<std::chrono::seconds> left = FProgress.TimeLeft(Clock::now()))
    text += ", " + Fill(F.FMsgProgressTimeLeft, ClockText(*left));
  const QString shown = QString::fromStdString(text);
  if (F.RunProgressLabel->text() != shown) F.RunProgressLabel->setText(shown);
}

void TMainForm::TBatchRun::JobStarting(std::size_t index, const TBatchJob& job) {
  const std::size_t entry = FJobEntry[index];
  FStates[entry] = TFileState::Running;
  ++FStarted;
  if (TRunStatusModel* table = Table()) table->SetRunning(entry, Clock::now());
  UpdateRunProgress();
  F.SetStatusText(0, F.FMsgStatusProcessingFile + platform::ExtractFileName(job.Source));
  if (!F.FCaptureOutput) {
    // One script for all files: it is rewritten just before each start, and
    // this way runs one file at a time.
    WriteBatchScript(FScriptPath, MakeBatchScript(FConverterDir, FFragments.ConverterName, F.HPCheckbox->isChecked(),
                                                  FPlan[FJobEntry[index]].Arguments));
    return;
  }
  F.FCurrentFile = job.Source;
  const std::string header = "====>  Processing file: " + job.Source;
  if (!Live()) {
    FBlocks[index].Info.push_back(header);
  } else if (F.FConsoleOutputForm != nullptr) {
    if (TRunStatusModel* table = Table()) table->SetInfoLine(entry, F.FConsoleOutputForm->InfoLinesAdded());
    F.FConsoleOutputForm->AddInfoLine(header);
    // The panes show their changes once per frame; at the file's boundaries
    // they keep step with the run, so the file is named before its converter
    // starts and its output is whole before the next one.
    F.FConsoleOutputForm->Flush();
  }
}

void TMainForm::TBatchRun::JobStartFailed(std::size_t index, const TBatchJob& job, const std::string& message) {
  FStartFailed = true;
  Settle(FJobEntry[index], TFileState::Failed, message);
  FProgress.FileEnded(index);
  UpdateRunProgress();
  // The file named there is not being converted any more.
  F.SetStatusText(0, "");
  const std::string program = job.ApplicationName.empty() ? job.CommandLine : job.ApplicationName;
  F.FServices.MessageBoxes->Show(
      TMessageKind::ErrorOk,
      "Das Programm " + program + " kann nicht gestartet werden.\nDatei: " + job.Source + "\n" + message);
}

void TMainForm::TBatchRun::Apply(std::vector<std::string>& lines, const std::string& s, bool startsOnNewLine) {
  if (startsOnNewLine || lines.empty())
    lines.push_back(s);
  else
    lines.back() = s;
}

void TMainForm::TBatchRun::JobOutput(std::size_t index, const std::string& s, bool startsOnNewLine) {
  if (FTrackers[index].Feed(s)) {
    const int percent = FTrackers[index].Percent();
    FProgress.SetFilePercent(index, percent);
    if (TRunStatusModel* table = Table()) table->SetPercent(FJobEntry[index], percent);
    UpdateRunProgress();
  }
  if (!F.FCaptureOutput || F.FConsoleOutputForm == nullptr) return;
  if (!Live()) {
    Apply(FBlocks[index].Info, s, startsOnNewLine);
  } else if (startsOnNewLine) {
    F.FConsoleOutputForm->AddInfoLine(s);
  } else {
    F.FConsoleOutputForm->ReplaceInfoLine(s);
  }
}

void TMainForm::TBatchRun::JobErrorOutput(std::size_t index, const std::string& s, bool startsOnNewLine) {
  if (!F.FCaptureOutput || F.FConsoleOutputForm == nullptr) return;
  if (!Live()) {
    Apply(FBlocks[index].Error, s, startsOnNewLine);
    return;
  }
  const TBatchJob& job = FRunJobs[index];
  MarkErrorBlock(FJobEntry[index]);
  AddErrorOutput(*F.FConsoleOutputForm, job.Source, job.CommandLine, F.FLastErrorFile, s, startsOnNewLine);
}

void TMainForm::TBatchRun::JobEnded(std::size_t index, const TBatchJob& job, const TJobResult& result) {
  const std::size_t entry = FJobEntry[index];
  if (result.Accepted) {
    Settle(entry, TFileState::Done, result.Warning, !result.Warning.empty(), result.Format);
  } else {
    // A converter stopped because the program closes did not fail: it was
    // cut short, like the files that never started.
    Settle(entry, F.FClosing ? TFileState::Cancelled : TFileState::Failed, result.Reason, false, result.Format);
  }
  FProgress.FileEnded(index);
  UpdateRunProgress();
  if (!F.FCaptureOutput || F.FConsoleOutputForm == nullptr) return;
  TBlock& block = FBlocks[index];
  if (!result.Accepted) {
    const std::string note = "No output written to " + job.Output + ": " + result.Reason;
    if (!Live()) {
      block.Error.push_back(note);
    } else {
      MarkErrorBlock(entry);
      AddErrorOutput(*F.FConsoleOutputForm, job.Source, job.CommandLine, F.FLastErrorFile, note, true);
    }
  }
  if (!Live())
    FlushBlock(index, block);
  else
    F.FConsoleOutputForm->Flush();
}

void TMainForm::TBatchRun::FlushBlock(std::size_t index, TBlock& block) {
  const TBatchJob& job = FRunJobs[index];
  const std::size_t entry = FJobEntry[index];
  TConsoleOutputForm& form = *F.FConsoleOutputForm;
  if (TRunStatusModel* table = Table(); table != nullptr && !block.Info.empty())
    table->SetInfoLine(entry, form.InfoLinesAdded());
  for (const std::string& line : block.Info) form.AddInfoLine(line);
  if (!block.Error.empty()) MarkErrorBlock(entry);
  for (const std::string& line : block.Error)
    AddErrorOutput(form, job.Source, job.CommandLine, F.FLastErrorFile, line, true);
  block = TBlock{};
  form.Flush();
}

void TMainForm::TBatchRun::ReportSkipped(std::size_t entry) {
  const TPlannedEntry& planned = FPlan[entry];
  Settle(entry, TFileState::Skipped, planned.SkipReason);
  if (F.FConsoleOutputForm == nullptr) return;
  MarkErrorBlock(entry);
  F.FConsoleOutputForm->AddErrorLine("Error while processing file " + planned.Job.Source);
  F.FConsoleOutputForm->AddErrorLine("Not converted: " + planned.SkipReason);
  F.FLastErrorFile = planned.Job.Source;
}

void TMainForm::StartButtonClick() {
  // After Cancel the Start button is back while the last converter still
  // runs and this run still waits for it. A second run then would find the
  // runner busy and interleave with the first, so the click is ignored.
  if (FRunActive) return;
  FRunActive = true;
  struct TRunActiveReset {
    bool& Flag;
    ~TRunActiveReset() { Flag = false; }
  } runActiveReset{FRunActive};

  TBatchRun run(*this);
  if (!run.Check()) return;
  run.Plan();
  if (!run.Ask()) return;
  const bool complete = run.Run();
  run.Finish(complete);
}

void TMainForm::CancelButtonClick() {
  FCancelRequested = true;
  CancelButton->setVisible(false);
}

}  // namespace ratemill
