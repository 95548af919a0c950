#pragma once

#include <QMainWindow>
#include <array>
#include <memory>
#include <string>

#include "batch/RunOverview.h"
#include "frontend/RunStatusModel.h"
#include "i18n/TextCatalogue.h"
#include "platform/Services.h"
#include "process/ProcessRunner.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStatusBar;

namespace ratemill {

class TConsoleOutputForm;
class TFilenameEdit;
class TInfoForm;
class TUpDown;

// The main window: the conversion options, the file list, the output folder
// and the Start/Cancel pair. It owns the state that the batch run, the console
// output, the settings, the About window and the language texts share.
//
// The operations are spread over the folders of their subjects:
//   frontend/MainForm.cpp          layout, FormCreate, FormCloseQuery, temp-file edit
//   frontend/MainFormJobs.cpp      ConcurrentJobs
//   frontend/MainFormChecks.cpp    CheckAttenuation
//   frontend/BatchRun.cpp          StartButtonClick, CancelButtonClick
//   frontend/ConsoleOutput.cpp     ProcessRunnerRead, ProcessRunnerErrorRead, the run's panes
//   settings/MainFormSettings.cpp  LoadSettings, SaveSettings
//   files/MainFormFiles.cpp        the file list buttons, drag and drop, output folder
//   about/MainFormAbout.cpp        InfoButtonClick
//   i18n/MainFormLanguage.cpp      ApplyLanguage
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(const platform::TServices& services, QWidget* parent = nullptr);
  ~TMainForm() override;

  // True when `FormCreate` ended the program (the converter is missing): no
  // other window is to be created and the program ends at once.
  bool Terminated() const { return FTerminated; }

  // The console window gets the captions of its status table from here.
  void SetConsoleOutputForm(TConsoleOutputForm* form);
  void SetInfoForm(TInfoForm* form) { FInfoForm = form; }
  TConsoleOutputForm* ConsoleOutputForm() const { return FConsoleOutputForm; }
  TInfoForm* InfoForm() const { return FInfoForm; }
  const platform::TServices& Services() const { return FServices; }

  // The steps of `RunProgressBar`: fine enough that the bar moves by a pixel
  // for any file of a long run.
  static constexpr int kRunProgressSteps = 10000;

  // Status bar panels: 0 run status, 1 debug-mode marker.
  void SetStatusText(int panel, const std::string& text);
  std::string StatusText(int panel) const;

  // Operations and event handlers.
  void FormCreate();
  void FormCloseQuery(bool& canClose);
  void TempFileCheckBoxClick();
  void TempFilenameEditBeforeDialog();
  void StartButtonClick();
  void CancelButtonClick();
  void OpenButtonClick();
  void BatchAddFilesButtonClick();
  void DeleteButtonClick();
  void FindFolderButtonClick();
  void InfoButtonClick();
  void ProcessRunnerRead(const TProcessRunner& sender, const std::string& s, bool startsOnNewLine);
  void ProcessRunnerErrorRead(const TProcessRunner& sender, const std::string& s, bool startsOnNewLine);
  void LoadSettings();
  void SaveSettings();
  void ApplyLanguage();
  // Appends dropped WAV files and every WAV file of dropped folders.
  void AddDroppedPaths(const std::vector<std::string>& paths);

  // The source files of `FileList`, in list order, as the paths to use.
  std::vector<std::string> FileListEntries() const;
  // Removes one list entry for each of `entries` (matched by path, first
  // match first); entries not named stay in their order.
  void RemoveFileListEntries(const std::vector<std::string>& entries);
  // Selects one list entry for each of `entries` (matched by path, first
  // match first) and no other.
  void SelectFileListEntries(const std::vector<std::string>& entries);
  // The output folder of `TargetDirectoryEdit` as the path to use.
  std::string TargetDirectory() const;
  void SetTargetDirectory(const std::string& folder);

  // How many converters a run starts at once: the option's value, but one
  // in the old batch way and in debug mode, which go file by file.
  int ConcurrentJobs() const;

  // Start refuses an attenuation field that holds no number, with a warning
  // that names the field; true when the field is usable.
  bool CheckAttenuation();

  // Debug mode (a dry run that shows each converter call). Switching it does
  // not touch the status bar: the About window's O.K. reports it there.
  bool DebugMode() const { return FDebugMode; }
  void SetDebugMode(bool on) { FDebugMode = on; }
  // Shows the debug-mode marker in the status bar's second panel, or empties it.
  void ReportDebugMode();

  // The settings file; empty when start-up ended before loading the settings.
  const std::string& SettingsFile() const { return FSettingsFile; }
  // The source file of the conversion that ran last, for error reports.
  const std::string& CurrentFile() const { return FCurrentFile; }

  // The text of one of the window's messages as `ApplyLanguage` set it;
  // `std::invalid_argument` for a text the window does not keep.
  const std::string& MessageText(TTextId id) const;
  // Sets the option's value, as a user would.
  void SetConcurrentJobs(int jobs);

  // The five dither buttons in the order of the converter's dither types.
  std::array<QRadioButton*, 5> DitherOptions() const;
  // The checked dither type, or -1 when no button is checked.
  int DitherIndex() const;
  // Checks the button of dither type `index`; any other number (a stored
  // setting may hold one) leaves the choice as it is.
  void SetDitherIndex(long index);

  // Controls, named as the rest of the program refers to them.
  QGroupBox* GroupOptions = nullptr;
  QLabel* LabelSampleRate = nullptr;
  QComboBox* ComboSampleRate = nullptr;
  QLabel* LabelBits = nullptr;
  QComboBox* ComboBits = nullptr;
  QLabel* LabelAttenuation = nullptr;
  QLabel* MinusLabel = nullptr;
  QLineEdit* AttenuateDBEdit = nullptr;
  TUpDown* UpDownButtons = nullptr;
  QLabel* LabelPDFofNoise = nullptr;
  QComboBox* NoiseComboBox = nullptr;
  QCheckBox* CheckTwoPass = nullptr;
  QCheckBox* CheckNormalize = nullptr;
  QGroupBox* GroupDither = nullptr;
  QRadioButton* Dither0Option = nullptr;
  QRadioButton* Dither1Option = nullptr;
  QRadioButton* Dither2Option = nullptr;
  QRadioButton* Dither3Option = nullptr;
  QRadioButton* Dither4Option = nullptr;
  QCheckBox* CheckFast = nullptr;
  QCheckBox* HPCheckbox = nullptr;
  QCheckBox* TempFileCheckBox = nullptr;
  TFilenameEdit* TempFilenameEdit = nullptr;
  QLabel* PrioForSSRCLabel = nullptr;
  QComboBox* PrioComboBox = nullptr;
  QCheckBox* UseOldBatchModeCheckbox = nullptr;
  QLabel* LabelConcurrentJobs = nullptr;
  QSpinBox* ConcurrentJobsSpinBox = nullptr;
  QGroupBox* FilesGroupBox = nullptr;
  QListWidget* FileList = nullptr;
  QPushButton* OpenButton = nullptr;
  QPushButton* DeleteButton = nullptr;
  QPushButton* BatchAddFilesButton = nullptr;
  QPushButton* InfoButton = nullptr;
  QLabel* LabelTargetDir = nullptr;
  QLineEdit* TargetDirectoryEdit = nullptr;
  QPushButton* FindFolderButton = nullptr;
  QPushButton* StartButton = nullptr;
  QPushButton* CancelButton = nullptr;
  QStatusBar* StatusBar = nullptr;
  // The run's overall progress and "3 von 12, noch 1:20"; shown only while
  // a run converts.
  QProgressBar* RunProgressBar = nullptr;
  QLabel* RunProgressLabel = nullptr;
  TProcessRunner ProcessRunner;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // One press of Start, step by step (frontend/BatchRun.h).
  class TBatchRun;

  void CreateControls();
  // Hands the console window the captions of its status table.
  void ApplyConsoleTexts();

  // State shared by the operations listed above.
  bool FCaptureOutput = false;
  std::string FCurrentFile;
  std::string FLastErrorFile;
  std::string FSettingsFile;
  bool FDebugMode = false;
  bool FCancelRequested = false;
  std::string FMsgMissingSSRC;
  std::string FMsgNoFilesSelected;
  std::string FMsgCreateNewDirQuery;
  std::string FMsgStatusCheckingParameters;
  std::string FMsgStatusProcessingFile;
  std::string FMsgNoTmpFileName;
  std::string FMsgInvalidAttenuation;
  // "%1 von %2", "noch %1"
  std::string FMsgProgressCount;
  std::string FMsgProgressTimeLeft;
  TSummaryTexts FMsgSummary;
  std::string FMsgFailedFilesBox;
  // "%1" stands for the number of failed files not named.
  std::string FMsgMoreFailedFiles;
  std::string FMsgOutputExistsReason;
  TRunStatusTexts FRunStatusTexts;
  std::string FRunStatusTableName;
  // The folder chosen last in the shared folder dialog (either button).
  std::string FBrowseFolder;

  platform::TServices FServices;
  TConsoleOutputForm* FConsoleOutputForm = nullptr;
  TInfoForm* FInfoForm = nullptr;
  bool FTerminated = false;
  // Set while `StartButtonClick` is inside its run; guards a second Start.
  bool FRunActive = false;
  // Set when the window has closed during a run; the run stops before its next file.
  bool FClosing = false;
  QLabel* FStatusPanels[2] = {nullptr, nullptr};
};

}  // namespace ratemill
