#include "frontend/MainForm.h"

#include <algorithm>
#include <stdexcept>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>

#include "frontend/ConsoleOutputForm.h"
#include "frontend/EventGuard.h"
#include "frontend/FilenameEdit.h"
#include "frontend/UpDown.h"
#include "frontend/WindowGeometry.h"
#include "i18n/MessageFormat.h"
#include "i18n/TextCatalogue.h"
#include "platform/ErrorHandling.h"
#include "platform/FileSystem.h"
#include "platform/ProgramFolders.h"
#include "settings/ConcurrentJobs.h"

namespace ratemill {
namespace {

constexpr int kClientWidth = 472;
constexpr int kClientHeight = 618;

}  // namespace

TMainForm::TMainForm(const platform::TServices& services, QWidget* parent)
    : QMainWindow(parent), ProcessRunner(*services.Queue), FServices(services) {
  setWindowTitle("Ratemill");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  // The window keeps its classic fixed size, pixel positions and font, the
  // font sized in pixels (8 points at 96 dpi) so that no display scaling makes
  // a caption outgrow its place. Users know where each control stands, and
  // the translations in language files were written to fit those widths; a
  // layout that flowed with the texts would move the controls with every
  // language.
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);

  CreateControls();

  ProcessRunner.SetOnRead([this](TProcessRunner& sender, const std::string& s, bool startsOnNewLine) {
    ProcessRunnerRead(sender, s, startsOnNewLine);
  });
  ProcessRunner.SetOnErrorRead([this](TProcessRunner& sender, const std::string& s, bool startsOnNewLine) {
    ProcessRunnerErrorRead(sender, s, startsOnNewLine);
  });
  ProcessRunner.SetConsoleOptions(TConsoleOptions{});
  ProcessRunner.StartupInfo().DefaultWindowState = false;
  ProcessRunner.StartupInfo().Title = "SSRC running...";

  setFixedSize(kClientWidth, kClientHeight);
  CentreOnScreen(*this, QGuiApplication::primaryScreen());

  FormCreate();
}

TMainForm::~TMainForm() = default;

std::array<QRadioButton*, 5> TMainForm::DitherOptions() const {
  return {Dither0Option, Dither1Option, Dither2Option, Dither3Option, Dither4Option};
}

int TMainForm::DitherIndex() const {
  const std::array<QRadioButton*, 5> options = DitherOptions();
  const auto checked =
      std::find_if(options.begin(), options.end(), [](const QRadioButton* option) { return option->isChecked(); });
  return checked == options.end() ? -1 : static_cast<int>(checked - options.begin());
}

void TMainForm::SetDitherIndex(long index) {
  const std::array<QRadioButton*, 5> options = DitherOptions();
  if (index >= 0 && index < static_cast<long>(options.size()))
    options[static_cast<std::size_t>(index)]->setChecked(true);
}

void TMainForm::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  // Upper group: the conversion options.
  GroupOptions = Place(new QGroupBox(client), 8, 4, 456, 352);
  LabelSampleRate = Place(new QLabel(GroupOptions), 10, 24, 140, 14);
  ComboSampleRate = Place(new QComboBox(GroupOptions), 10, 40, 140, 21);
  ComboSampleRate->addItems({"nicht ändern", "32000", "44100", "48000", "96000", "192000"});
  LabelBits = Place(new QLabel(GroupOptions), 162, 24, 130, 14);
  ComboBits = Place(new QComboBox(GroupOptions), 162, 40, 120, 21);
  ComboBits->addItems({"nicht ändern", "8", "16", "24"});
  LabelAttenuation = Place(new QLabel(GroupOptions), 300, 24, 150, 14);
  MinusLabel = Place(new QLabel("-", GroupOptions), 300, 43, 8, 14);
  AttenuateDBEdit = Place(new QLineEdit("0", GroupOptions), 310, 40, 50, 21);
  UpDownButtons = Place(new TUpDown(AttenuateDBEdit, GroupOptions), 360, 40, 16, 21);
  UpDownButtons->SetMin(0);
  UpDownButtons->SetMax(100);
  UpDownButtons->SetIncrement(1);

  LabelPDFofNoise = Place(new QLabel(GroupOptions), 10, 70, 100, 14);
  NoiseComboBox = Place(new QComboBox(GroupOptions), 10, 86, 100, 21);
  NoiseComboBox->addItems({"default", "0", "1", "2"});
  CheckTwoPass = Place(new QCheckBox(GroupOptions), 162, 72, 286, 17);
  CheckNormalize = Place(new QCheckBox(GroupOptions), 162, 92, 286, 17);

  GroupDither = Place(new QGroupBox(GroupOptions), 10, 116, 436, 118);
  Dither0Option = Place(new QRadioButton("no", GroupDither), 10, 24, 410, 17);
  Dither1Option = Place(new QRadioButton("No noise shaping", GroupDither), 10, 42, 410, 17);
  Dither2Option = Place(new QRadioButton("Triangular spectral shape", GroupDither), 10, 60, 410, 17);
  Dither3Option = Place(new QRadioButton("ATH based noise shaping", GroupDither), 10, 78, 410, 17);
  Dither4Option = Place(new QRadioButton("less dither amplitude than type 3", GroupDither), 10, 96, 410, 17);
  SetDitherIndex(2);

  CheckFast = Place(new QCheckBox(GroupOptions), 10, 242, 140, 17);
  HPCheckbox = Place(new QCheckBox(GroupOptions), 162, 242, 200, 17);
  HPCheckbox->setVisible(false);
  TempFileCheckBox = Place(new QCheckBox(GroupOptions), 10, 268, 90, 17);
  TempFilenameEdit = Place(new TFilenameEdit(FServices.Dialogs, GroupOptions), 102, 266, 344, 21);
  TempFilenameEdit->SetReadOnly(true);
  TempFilenameEdit->OnBeforeDialog = [this] { TempFilenameEditBeforeDialog(); };
  PrioForSSRCLabel = Place(new QLabel(GroupOptions), 10, 299, 130, 14);
  PrioComboBox = Place(new QComboBox(GroupOptions), 142, 296, 90, 21);
  PrioComboBox->addItems({"Niedrig", "Normal", "Hoch"});
  PrioComboBox->setCurrentIndex(1);
  UseOldBatchModeCheckbox = Place(new QCheckBox(GroupOptions), 246, 298, 200, 17);
  LabelConcurrentJobs = Place(new QLabel(GroupOptions), 10, 325, 180, 14);
  ConcurrentJobsSpinBox = Place(new QSpinBox(GroupOptions), 192, 322, 54, 21);
  ConcurrentJobsSpinBox->setRange(kMinConcurrentJobs, kMaxConcurrentJobs);
  ConcurrentJobsSpinBox->setValue(DefaultConcurrentJobs());

  // Lower group: the source files and the output folder. The list gave the
  // options group the room of its last row; the controls below it stay put.
  FilesGroupBox = Place(new QGroupBox(client), 8, 360, 456, 236);
  FileList = Place(new QListWidget(FilesGroupBox), 10, 24, 436, 72);
  FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Dropped WAV files and folders join the list; the window's event filter takes them.
  FileList->setAcceptDrops(true);
  FileList->viewport()->installEventFilter(this);
  OpenButton = Place(new QPushButton(FilesGroupBox), 10, 102, 130, 24);
  BatchAddFilesButton = Place(new QPushButton(FilesGroupBox), 144, 102, 224, 24);
  InfoButton = Place(new QPushButton("Info...", FilesGroupBox), 372, 102, 74, 24);
  DeleteButton = Place(new QPushButton(FilesGroupBox), 10, 130, 180, 24);
  LabelTargetDir = Place(new QLabel(FilesGroupBox), 10, 160, 200, 14);
  TargetDirectoryEdit = Place(new QLineEdit(FilesGroupBox), 10, 176, 356, 21);
  FindFolderButton = Place(new QPushButton(FilesGroupBox), 372, 175, 74, 23);
  StartButton = Place(new QPushButton(FilesGroupBox), 10, 206, 436, 24);
  CancelButton = Place(new QPushButton(FilesGroupBox), 10, 206, 436, 24);
  CancelButton->setVisible(false);

  // Accelerators in label captions move the focus to the control they name.
  LabelSampleRate->setBuddy(ComboSampleRate);
  LabelBits->setBuddy(ComboBits);
  LabelAttenuation->setBuddy(AttenuateDBEdit);
  LabelPDFofNoise->setBuddy(NoiseComboBox);
  PrioForSSRCLabel->setBuddy(PrioComboBox);
  LabelConcurrentJobs->setBuddy(ConcurrentJobsSpinBox);
  LabelTargetDir->setBuddy(TargetDirectoryEdit);

  StatusBar = new QStatusBar(this);
  StatusBar->setSizeGripEnabled(false);
  // The marker panel is 50 wide where the window's own font fits "Debugmode"
  // into that; a wider substitute font must not cut the marker off.
  const int markerWidth = std::max(50, QFontMetrics(font()).horizontalAdvance("Debugmode") + 8);
  // The run's status takes what the other panels leave; a text longer than
  // that is cut, not allowed to widen the fixed window, and reads whole in
  // its tooltip.
  for (QLabel*& panel : FStatusPanels) panel = new QLabel(StatusBar);
  FStatusPanels[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  FStatusPanels[1]->setFixedWidth(markerWidth);
  RunProgressBar = new QProgressBar(StatusBar);
  RunProgressBar->setRange(0, kRunProgressSteps);
  RunProgressBar->setFixedWidth(90);
  RunProgressBar->setMaximumHeight(QFontMetrics(font()).height() + 4);
  RunProgressLabel = new QLabel(StatusBar);
  RunProgressLabel->setBuddy(RunProgressBar);
  StatusBar->addWidget(FStatusPanels[0], 1);
  StatusBar->addWidget(RunProgressBar);
  StatusBar->addWidget(RunProgressLabel);
  StatusBar->addWidget(FStatusPanels[1]);
  RunProgressBar->setVisible(false);
  RunProgressLabel->setVisible(false);
  setStatusBar(StatusBar);

  connect(TempFileCheckBox, &QCheckBox::toggled, this, Guarded([this](bool) { TempFileCheckBoxClick(); }));
  connect(StartButton, &QPushButton::clicked, this, Guarded([this] { StartButtonClick(); }));
  connect(CancelButton, &QPushButton::clicked, this, Guarded([this] { CancelButtonClick(); }));
  connect(OpenButton, &QPushButton::clicked, this, Guarded([this] { OpenButtonClick(); }));
  connect(BatchAddFilesButton, &QPushButton::clicked, this, Guarded([this] { BatchAddFilesButtonClick(); }));
  connect(DeleteButton, &QPushButton::clicked, this, Guarded([this] { DeleteButtonClick(); }));
  connect(FindFolderButton, &QPushButton::clicked, this, Guarded([this] { FindFolderButtonClick(); }));
  connect(InfoButton, &QPushButton::clicked, this, Guarded([this] { InfoButtonClick(); }));
}

void TMainForm::SetStatusText(int panel, const std::string& text) {
  FStatusPanels[panel]->setText(QString::fromStdString(text));
  FStatusPanels[panel]->setToolTip(FStatusPanels[panel]->text());
}

void TMainForm::SetConsoleOutputForm(TConsoleOutputForm* form) {
  FConsoleOutputForm = form;
  ApplyConsoleTexts();
}

std::string TMainForm::StatusText(int panel) const { return FStatusPanels[panel]->text().toStdString(); }

void TMainForm::ReportDebugMode() { SetStatusText(1, FDebugMode ? "Debugmode" : ""); }

const std::string& TMainForm::MessageText(TTextId id) const {
  switch (id) {
    case TTextId::MissingSSRC: return FMsgMissingSSRC;
    case TTextId::NoFilesSelected: return FMsgNoFilesSelected;
    case TTextId::CreateNewDirQuery: return FMsgCreateNewDirQuery;
    case TTextId::StatusCheckParameters: return FMsgStatusCheckingParameters;
    case TTextId::StatusProcessFile: return FMsgStatusProcessingFile;
    case TTextId::NoTmpFileName: return FMsgNoTmpFileName;
    case TTextId::InvalidAttenuation: return FMsgInvalidAttenuation;
    case TTextId::ProgressCount: return FMsgProgressCount;
    case TTextId::ProgressTimeLeft: return FMsgProgressTimeLeft;
    case TTextId::SummaryFiles: return FMsgSummary.Files;
    case TTextId::SummaryOneFile: return FMsgSummary.OneFile;
    case TTextId::SummaryConverted: return FMsgSummary.Converted;
    case TTextId::SummaryFailed: return FMsgSummary.Failed;
    case TTextId::SummarySkipped: return FMsgSummary.Skipped;
    case TTextId::SummaryCancelled: return FMsgSummary.Cancelled;
    case TTextId::FailedFilesBox: return FMsgFailedFilesBox;
    case TTextId::MoreFailedFiles: return FMsgMoreFailedFiles;
    case TTextId::OutputExistsReason: return FMsgOutputExistsReason;
    default: throw std::invalid_argument("the main window keeps no message " + CatalogueRow(id).Key);
  }
}

void TMainForm::FormCreate() {
  ApplyLanguage();

  const std::string& appDir = FServices.AppDir;
  const std::string& dataDir = FServices.DataDir;
  const bool hasHPConverter = !platform::LocateProgramFile(appDir, dataDir, "ssrc_hp.exe").empty();
  HPCheckbox->setVisible(hasHPConverter);

  if (platform::LocateProgramFile(appDir, dataDir, "ssrc.exe").empty()) {
    // The data folder is where the user can put the converter: it is the
    // program's folder when that is writable.
    FMsgMissingSSRC = FormatMissingConverterMessage(FMsgMissingSSRC, dataDir);
    if (FServices.MessageBoxes->Show(platform::TMessageKind::ErrorYesNo, FMsgMissingSSRC) ==
        platform::TMessageAnswer::Yes) {
      FServices.Shell->OpenAddress(kConverterDownloadAddress);
    }
    FTerminated = true;
    return;
  }

  FDebugMode = false;
  // Nothing writes into the folder; failing to create it is harmless.
  platform::ForceDirectories(dataDir + "log");
  FSettingsFile = dataDir + "Ratemill.ini";
  LoadSettings();
  // A stored choice of the high-precision build that is gone would make
  // every run fail, and the box is hidden then, so the user could not untick
  // it: the choice goes, and the next save stores it as off.
  if (!hasHPConverter) HPCheckbox->setChecked(false);
}

void TMainForm::FormCloseQuery(bool& canClose) {
  SaveSettings();
  canClose = true;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // A program whose settings cannot be written must still be possible to
  // end: the failure is reported and the window closes all the same.
  bool canClose = true;
  if (!FTerminated) {
    try {
      FormCloseQuery(canClose);
    } catch (...) {
      platform::HandleException(std::current_exception(), this);
      canClose = true;
    }
  }
  FClosing = true;
  event->setAccepted(canClose);
}

void TMainForm::TempFileCheckBoxClick() { TempFilenameEdit->SetReadOnly(!TempFileCheckBox->isChecked()); }

void TMainForm::TempFilenameEditBeforeDialog() { TempFilenameEdit->SetFileName(""); }

}  // namespace ratemill
