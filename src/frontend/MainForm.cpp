#include "frontend/MainForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

#include "frontend/EventGuard.h"
#include "frontend/FilenameEdit.h"
#include "frontend/UpDown.h"
#include "i18n/MessageFormat.h"
#include "i18n/TextCatalogue.h"
#include "platform/ErrorHandling.h"
#include "platform/FileSystem.h"

namespace ratemill {
namespace {

constexpr int kClientWidth = 472;
constexpr int kClientHeight = 618;

template <typename W>
W* Place(W* widget, int left, int top, int width, int height) {
  widget->setGeometry(left, top, width, height);
  return widget;
}

}  // namespace

TMainForm::TMainForm(const platform::TServices& services, QWidget* parent)
    : QMainWindow(parent), ProcessRunner(*services.Queue), FServices(services) {
  setWindowTitle("Ratemill");
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
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
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
  }

  FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateControls() {
  auto* client = new QWidget(this);
  setCentralWidget(client);

  // Upper group: the conversion options.
  GroupOptions = Place(new QGroupBox(client), 8, 4, 456, 318);
  LabelSampleRate = Place(new QLabel(GroupOptions), 10, 18, 140, 14);
  ComboSampleRate = Place(new QComboBox(GroupOptions), 10, 34, 140, 21);
  ComboSampleRate->addItems({"nicht ändern", "32000", "44100", "48000", "96000", "192000"});
  LabelBits = Place(new QLabel(GroupOptions), 162, 18, 130, 14);
  ComboBits = Place(new QComboBox(GroupOptions), 162, 34, 120, 21);
  ComboBits->addItems({"nicht ändern", "8", "16", "24"});
  LabelAttenuation = Place(new QLabel(GroupOptions), 300, 18, 150, 14);
  MinusLabel = Place(new QLabel("-", GroupOptions), 300, 37, 8, 14);
  AttenuateDBEdit = Place(new QLineEdit("0", GroupOptions), 310, 34, 50, 21);
  UpDownButtons = Place(new TUpDown(AttenuateDBEdit, GroupOptions), 360, 34, 16, 21);
  UpDownButtons->SetMin(0);
  UpDownButtons->SetMax(100);
  UpDownButtons->SetIncrement(1);

  LabelPDFofNoise = Place(new QLabel(GroupOptions), 10, 64, 100, 14);
  NoiseComboBox = Place(new QComboBox(GroupOptions), 10, 80, 100, 21);
  NoiseComboBox->addItems({"default", "0", "1", "2"});
  CheckTwoPass = Place(new QCheckBox(GroupOptions), 162, 66, 286, 17);
  CheckNormalize = Place(new QCheckBox(GroupOptions), 162, 86, 286, 17);

  GroupDither = Place(new QGroupBox(GroupOptions), 10, 110, 436, 116);
  const char* ditherCaptions[] = {"no", "No noise shaping", "Triangular spectral shape", "ATH based noise shaping",
                                  "less dither amplitude than type 3"};
  QRadioButton** ditherOptions[] = {&Dither0Option, &Dither1Option, &Dither2Option, &Dither3Option, &Dither4Option};
  for (int i = 0; i < 5; ++i) {
    *ditherOptions[i] = Place(new QRadioButton(ditherCaptions[i], GroupDither), 10, 18 + i * 19, 410, 17);
  }
  Dither2Option->setChecked(true);

  CheckFast = Place(new QCheckBox(GroupOptions), 10, 234, 140, 17);
  HPCheckbox = Place(new QCheckBox(GroupOptions), 162, 234, 200, 17);
  HPCheckbox->setVisible(false);
  TempFileCheckBox = Place(new QCheckBox(GroupOptions), 10, 260, 90, 17);
  TempFilenameEdit = Place(new TFilenameEdit(FServices.Dialogs, GroupOptions), 102, 258, 344, 21);
  TempFilenameEdit->SetReadOnly(true);
  TempFilenameEdit->OnBeforeDialog = [this] { TempFilenameEditBeforeDialog(); };
  PrioForSSRCLabel = Place(new QLabel(GroupOptions), 10, 291, 130, 14);
  PrioComboBox = Place(new QComboBox(GroupOptions), 142, 288, 90, 21);
  PrioComboBox->addItems({"Niedrig", "Normal", "Hoch"});
  PrioComboBox->setCurrentIndex(1);
  UseOldBatchModeCheckbox = Place(new QCheckBox(GroupOptions), 246, 290, 200, 17);

  // Lower group: the source files and the output folder.
  FilesGroupBox = Place(new QGroupBox(client), 8, 326, 456, 268);
  FileList = Place(new QListWidget(FilesGroupBox), 10, 18, 436, 112);
  FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  OpenButton = Place(new QPushButton(FilesGroupBox), 10, 136, 130, 24);
  BatchAddFilesButton = Place(new QPushButton(FilesGroupBox), 144, 136, 224, 24);
  InfoButton = Place(new QPushButton("Info...", FilesGroupBox), 372, 136, 74, 24);
  DeleteButton = Place(new QPushButton(FilesGroupBox), 10, 164, 180, 24);
  LabelTargetDir = Place(new QLabel(FilesGroupBox), 10, 194, 200, 14);
  TargetDirectoryEdit = Place(new QLineEdit(FilesGroupBox), 10, 210, 356, 21);
  FindFolderButton = Place(new QPushButton(FilesGroupBox), 372, 209, 74, 23);
  StartButton = Place(new QPushButton(FilesGroupBox), 10, 238, 436, 24);
  CancelButton = Place(new QPushButton(FilesGroupBox), 10, 238, 436, 24);
  CancelButton->setVisible(false);

  // Accelerators in label captions move the focus to the control they name.
  LabelSampleRate->setBuddy(ComboSampleRate);
  LabelBits->setBuddy(ComboBits);
  LabelAttenuation->setBuddy(AttenuateDBEdit);
  LabelPDFofNoise->setBuddy(NoiseComboBox);
  PrioForSSRCLabel->setBuddy(PrioComboBox);
  LabelTargetDir->setBuddy(TargetDirectoryEdit);

  StatusBar = new QStatusBar(this);
  StatusBar->setSizeGripEnabled(false);
  const int panelWidths[] = {300, 50};
  for (int i = 0; i < 2; ++i) {
    FStatusPanels[i] = new QLabel(StatusBar);
    FStatusPanels[i]->setFixedWidth(panelWidths[i]);
    StatusBar->addWidget(FStatusPanels[i]);
  }
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
}

std::string TMainForm::StatusText(int panel) const { return FStatusPanels[panel]->text().toStdString(); }

void TMainForm::FormCreate() {
  ApplyLanguage();

  const std::string& appDir = FServices.AppDir;
  HPCheckbox->setVisible(platform::FileExists(appDir + "ssrc_hp.exe"));

  if (!platform::FileExists(appDir + "ssrc.exe")) {
    FMsgMissingSSRC = FormatMissingConverterMessage(FMsgMissingSSRC, appDir);
    if (FServices.MessageBoxes->Show(platform::TMessageKind::ErrorYesNo, FMsgMissingSSRC) ==
        platform::TMessageAnswer::Yes) {
      FServices.Shell->OpenAddress(kConverterDownloadAddress);
    }
    FTerminated = true;
    return;
  }

  FDebugMode = false;
  // Nothing writes into the folder; failing to create it is harmless.
  platform::ForceDirectories(appDir + "log");
  FSettingsFile = appDir + "Ratemill.ini";
  LoadSettings();
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
