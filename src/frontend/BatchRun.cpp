#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <vector>

#include "frontend/BatchLauncher.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "frontend/arguments/ConverterArguments.h"
#include "frontend/arguments/WavHeaderReader.h"
#include "i18n/MessageFormat.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace ratemill {
namespace {

using platform::TMessageAnswer;
using platform::TMessageKind;

const char kMissingConverter[] = "Fehler! Datei ssrc.exe nicht im Programmverzeichnis vorhanden!";
const char kProcessingFile[] = "====>  Processing file: ";

// One header buffer for the program's life: a source whose header cannot be
// read is named from what the last readable one left there.
TWavHeaderReader& WavHeader() {
  static TWavHeaderReader reader;
  return reader;
}

// The Cancel button and the busy cursor of one run. Whichever way the run
// ends, an error included, both are back to normal when this goes.
class TRunControls {
 public:
  explicit TRunControls(QPushButton& cancelButton) : FCancelButton(cancelButton) { FCancelButton.setVisible(true); }
  ~TRunControls() {
    HideCancel();
    RestoreCursor();
  }
  TRunControls(const TRunControls&) = delete;
  TRunControls& operator=(const TRunControls&) = delete;

  void HideCancel() { FCancelButton.setVisible(false); }
  void SetBusyCursor() {
    if (FBusy) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    FBusy = true;
  }
  void RestoreCursor() {
    if (!FBusy) return;
    QApplication::restoreOverrideCursor();
    FBusy = false;
  }

 private:
  QPushButton& FCancelButton;
  bool FBusy = false;
};

std::string Text(const QString& text) { return text.toStdString(); }

}  // namespace

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

  platform::IMessageBoxes& boxes = *FServices.MessageBoxes;
  const std::string& appDir = FServices.AppDir;

  if (TempFileCheckBox->isChecked()) {
    const std::string tempFolder = platform::ExtractFilePath(TempFilenameEdit->FileName());
    if (tempFolder.empty() || !platform::DirectoryExists(tempFolder)) {
      boxes.Show(TMessageKind::ErrorOk, FMsgNoTmpFileName);
      return;
    }
  }

  FCaptureOutput = !UseOldBatchModeCheckbox->isChecked();
  if (FCaptureOutput) {
    if (FConsoleOutputForm != nullptr) {
      FConsoleOutputForm->Clear();
      FConsoleOutputForm->show();
    }
    ProcessRunner.SetConsoleOptions({TConsoleOption::coRedirect, TConsoleOption::coSeparateError});
    ProcessRunner.StartupInfo().ShowWindow = TRunnerShowWindow::swHide;
  } else {
    ProcessRunner.SetConsoleOptions({});
    ProcessRunner.StartupInfo().ShowWindow = TRunnerShowWindow::swNormal;
  }

  TRunControls controls(*CancelButton);
  FCancelRequested = false;

  if (FileList->count() == 0) {
    boxes.Show(TMessageKind::WarningOk, FMsgNoFilesSelected);
    return;
  }
  if (!platform::FileExists(appDir + "ssrc.exe")) {
    boxes.Show(TMessageKind::ErrorOk, kMissingConverter);
    return;
  }

  controls.SetBusyCursor();
  switch (PrioComboBox->currentIndex()) {
    case 0: ProcessRunner.SetPriority(TProcessPriority::ppIdle); break;
    case 1: ProcessRunner.SetPriority(TProcessPriority::ppNormal); break;
    case 2: ProcessRunner.SetPriority(TProcessPriority::ppHigh); break;
    default: break;
  }
  SetStatusText(0, FMsgStatusCheckingParameters);

  TConversionOptions options;
  options.SampleRateIndex = ComboSampleRate->currentIndex();
  options.SampleRateText = Text(ComboSampleRate->currentText());
  options.BitsIndex = ComboBits->currentIndex();
  options.BitsText = Text(ComboBits->currentText());
  options.AttenuationText = Text(AttenuateDBEdit->text());
  options.TwoPass = CheckTwoPass->isChecked();
  options.Normalize = CheckNormalize->isChecked();
  if (const int dither = DitherIndex(); dither >= 0) options.DitherIndex = dither;
  options.NoiseText = Text(NoiseComboBox->currentText());
  options.Fast = CheckFast->isChecked();
  options.TempFile = TempFileCheckBox->isChecked();
  options.TempFileName = TempFilenameEdit->FileName();
  options.UseHP = HPCheckbox->isChecked();
  options.CaptureOutput = FCaptureOutput;
  const TArgumentFragments fragments = BuildArgumentFragments(options);
  FArgRate = fragments.FArgRate;
  FArgBits = fragments.FArgBits;
  FArgAtt = fragments.FArgAtt;
  FArgTwoPass = fragments.FArgTwoPass;
  FArgNormalize = fragments.FArgNormalize;
  FArgDither = fragments.FArgDither;
  FArgPdf = fragments.FArgPdf;
  FArgProfile = fragments.FArgProfile;
  FArgTmpFile = fragments.FArgTmpFile;

  const std::string scriptPath = appDir + kBatchScriptName;
  std::string terminal;
  if (FCaptureOutput) {
    ProcessRunner.SetApplicationName(appDir + fragments.ConverterName);
  } else {
    const char* searchPath = std::getenv("PATH");
    terminal = FindTerminal(searchPath != nullptr ? searchPath : "");
    ProcessRunner.SetApplicationName(MakeBatchLaunch(scriptPath, "", terminal).ApplicationName);
  }

  std::string targetDirectory = TargetDirectory();
  if (!targetDirectory.empty()) {
    if (targetDirectory.back() != platform::PathDelim) {
      targetDirectory += platform::PathDelim;
      SetTargetDirectory(targetDirectory);
    }
    if (!platform::DirectoryExists(targetDirectory)) {
      const TMessageAnswer answer = boxes.Show(TMessageKind::ConfirmYesCancel,
                                               FillFirstStringPlaceholder(FMsgCreateNewDirQuery, targetDirectory));
      if (answer != TMessageAnswer::Yes) {
        SetStatusText(0, "");
        return;
      }
      // A folder that cannot be made shows up as the converter's own error.
      platform::ForceDirectories(targetDirectory);
    }
  }

  // The entries as they stand now. The list stays usable during the run, and
  // entries removed or added meanwhile must neither shift the run onto
  // another file nor end it out of range.
  const std::vector<std::string> entries = FileListEntries();

  for (const std::string& entry : entries) {
    // A closed main window ends the run like Cancel: the program is about to
    // end and must not start converters that nobody waits for.
    if (FCancelRequested || FClosing) return;

    const std::string fileName = platform::ExtractFileName(entry);
    SetStatusText(0, FMsgStatusProcessingFile + fileName);
    QApplication::processEvents();
    if (FClosing) return;

    // The output folder is read anew for every file, so a change during the
    // run counts from the next file on; a delimiter typed away meanwhile
    // must not make the output land beside the folder.
    const std::string outputFolder = platform::IncludeTrailingPathDelimiter(TargetDirectory());
    const std::string output =
        MakeOutputPath(entry, outputFolder, fragments, Text(ComboBits->currentText()), WavHeader());
    const std::string arguments = ComposeArguments(fragments, entry, output);

    bool convert = true;
    if (platform::FileExists(output)) {
      // Only Yes replaces: a box closed without an answer, or while the
      // program is closing, leaves the file alone.
      convert = boxes.Show(TMessageKind::WarningYesNo, "Zieldatei " + output + " bereits vorhanden. Überschreiben?") ==
                TMessageAnswer::Yes;
    }
    if (FDebugMode) convert = false;
    if (FClosing) return;

    if (convert) {
      const std::string title = fragments.ConverterName + " - " + fileName;
      if (FCaptureOutput) {
        ProcessRunner.SetCommandLine(platform::Ansi2OEM(arguments));
      } else {
        WriteBatchScript(scriptPath,
                         MakeBatchScript(appDir, fragments.ConverterName, HPCheckbox->isChecked(), arguments));
        const TBatchLaunch launch = MakeBatchLaunch(scriptPath, title, terminal);
        ProcessRunner.SetApplicationName(launch.ApplicationName);
        ProcessRunner.SetCommandLine(launch.CommandLine);
      }
      ProcessRunner.StartupInfo().Title = title;
      if (FCaptureOutput) {
        FCurrentFile = entry;
        if (FConsoleOutputForm != nullptr) FConsoleOutputForm->AddInfoLine(kProcessingFile + entry);
      }
      ProcessRunner.Run();
      while (ProcessRunner.State() == TRunnerState::rsWaiting) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      }
    }

    if (FDebugMode) boxes.Show(TMessageKind::PlainOk, DebugText(fragments, arguments));
  }

  controls.HideCancel();
  SetStatusText(0, "");
  QApplication::processEvents();
  controls.RestoreCursor();

  // Every entry the run went through leaves the list, skipped ones too;
  // entries added during the run were never looked at and stay.
  RemoveFileListEntries(entries);
}

void TMainForm::CancelButtonClick() {
  FCancelRequested = true;
  CancelButton->setVisible(false);
}

}  // namespace ratemill
