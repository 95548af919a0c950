#include "frontend/BatchRun.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <cstdlib>
#include <vector>

#include "frontend/BatchLauncher.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/FilenameEdit.h"
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

}  // namespace

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
      F.FConsoleOutputForm->show();
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
    if (targetDirectory.back() != platform::PathDelim) {
      targetDirectory += platform::PathDelim;
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
    ReportSkipped(planned);
    return true;
  }
  // The output was named without the source's own header; the user sees why.
  if (!planned.HeaderProblem.empty() && F.FConsoleOutputForm != nullptr)
    F.FConsoleOutputForm->AddErrorLine(planned.Job.Source + ": " + planned.HeaderProblem);
  const bool written = planned.SameOutputBefore >= 0 && FConvert[static_cast<std::size_t>(planned.SameOutputBefore)];
  bool convert = true;
  if (planned.OutputExists || written) {
    // Only Yes replaces: a box closed without an answer, or while the
    // program is closing, leaves the file alone.
    convert = F.FServices.MessageBoxes->Show(TMessageKind::WarningYesNo, "Zieldatei " + planned.Job.Output +
                                                                             " bereits vorhanden. Überschreiben?") ==
              TMessageAnswer::Yes;
  }
  if (F.FDebugMode) convert = false;
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
  // A Cancel during the last file changes nothing but the button.
  return engine.StartedJobs() == count && !FStartFailed && !F.FClosing;
}

void TMainForm::TBatchRun::Finish() {
  FControls->HideCancel();
  F.SetStatusText(0, "");
  QApplication::processEvents();
  FControls->RestoreCursor();
  // Every entry the run went through leaves the list, skipped ones too;
  // entries added during the run were never looked at and stay.
  F.RemoveFileListEntries(FEntries);
}

void TMainForm::TBatchRun::JobStarting(std::size_t index, const TBatchJob& job) {
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
    F.FConsoleOutputForm->AddInfoLine(header);
    // The panes show their changes once per frame; at the file's boundaries
    // they keep step with the run, so the file is named before its converter
    // starts and its output is whole before the next one.
    F.FConsoleOutputForm->Flush();
  }
}

void TMainForm::TBatchRun::JobStartFailed(std::size_t, const TBatchJob& job, const std::string& message) {
  FStartFailed = true;
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
  AddErrorOutput(*F.FConsoleOutputForm, job.Source, job.CommandLine, F.FLastErrorFile, s, startsOnNewLine);
}

void TMainForm::TBatchRun::JobEnded(std::size_t index, const TBatchJob& job, const TJobResult& result) {
  if (!F.FCaptureOutput || F.FConsoleOutputForm == nullptr) return;
  TBlock& block = FBlocks[index];
  if (!result.Accepted) {
    const std::string note = "No output written to " + job.Output + ": " + result.Reason;
    if (!Live())
      block.Error.push_back(note);
    else
      AddErrorOutput(*F.FConsoleOutputForm, job.Source, job.CommandLine, F.FLastErrorFile, note, true);
  }
  if (!Live())
    FlushBlock(job, block);
  else
    F.FConsoleOutputForm->Flush();
}

void TMainForm::TBatchRun::FlushBlock(const TBatchJob& job, TBlock& block) {
  TConsoleOutputForm& form = *F.FConsoleOutputForm;
  for (const std::string& line : block.Info) form.AddInfoLine(line);
  for (const std::string& line : block.Error)
    AddErrorOutput(form, job.Source, job.CommandLine, F.FLastErrorFile, line, true);
  block = TBlock{};
  form.Flush();
}

void TMainForm::TBatchRun::ReportSkipped(const TPlannedEntry& entry) {
  if (F.FConsoleOutputForm == nullptr) return;
  F.FConsoleOutputForm->AddErrorLine("Error while processing file " + entry.Job.Source);
  F.FConsoleOutputForm->AddErrorLine("Not converted: " + entry.SkipReason);
  F.FLastErrorFile = entry.Job.Source;
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
  if (!run.Run()) return;
  run.Finish();
}

void TMainForm::CancelButtonClick() {
  FCancelRequested = true;
  CancelButton->setVisible(false);
}

}  // namespace ratemill
