#include "about/InfoForm.h"

#include <QLabel>
#include <QPushButton>

#include "about/AboutAddresses.h"
#include "about/ClickLabel.h"
#include "about/FileVersion.h"
#include "about/LinkLabel.h"
#include "about/ProgramPictures.h"
#include "frontend/EventGuard.h"
#include "frontend/MainForm.h"
#include "frontend/WindowGeometry.h"
#include "i18n/TranslateForm.h"

namespace ratemill {

TInfoForm::TInfoForm(const platform::TServices& services, QWidget* parent) : QDialog(parent), FServices(services) {
  setWindowTitle("About Ratemill");
  // Only the close box: no help button, no minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  // Fixed size, pixel positions and font, as the main window has them and for
  // the same reason: the layout and its translations were made for them.
  setFixedSize(370, 310);
  QFont font("MS Sans Serif");
  font.setPixelSize(11);
  setFont(font);

  CreateControls();

  connect(ProgramNameLabel, &TClickLabel::clicked, this, Guarded([this] { ProgramNameLabelClick(); }));
  connect(MakerLinkLabel, &TClickLabel::clicked, this, Guarded([this] { MakerLinkLabelClick(); }));
  connect(ConverterLinkLabel, &TClickLabel::clicked, this, Guarded([this] { ConverterLinkLabelClick(); }));
  connect(LibraryLinkLabel, &TClickLabel::clicked, this, Guarded([this] { LibraryLinkLabelClick(); }));
  connect(MailLinkLabel, &TClickLabel::clicked, this, Guarded([this] { MailLinkLabelClick(); }));
  connect(TranslateButton, &QPushButton::clicked, this, Guarded([this] { TranslateButtonClick(); }));
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));

  FormCreate();
}

void TInfoForm::CreateControls() {
  Image1 = Place(new QLabel(this), 12, 12, 32, 32);
  Image1->setPixmap(QPixmap::fromImage(ProgramIconImage()));

  MakerLinkLabel = Place(new TLinkLabel(kMakerName, false, this), 56, 8, 200, 16);
  MakerLinkLabel->adjustSize();

  // Plain large text: nothing hints that a click here does anything.
  ProgramNameLabel = Place(new TClickLabel("Ratemill", this), 56, 22, 300, 40);
  QFont nameFont("Arial");
  nameFont.setPixelSize(32);
  ProgramNameLabel->setFont(nameFont);
  ProgramNameLabel->adjustSize();

  Label1 = Place(new QLabel(this), 58, 64, 300, 16);

  Label2 = Place(new QLabel("Open Source", this), 12, 92, 346, 16);
  QFont boldFont = font();
  boldFont.setBold(true);
  Label2->setFont(boldFont);

  Label3 = Place(new QLabel("Ratemill is a front end for the SSRC sampling-rate converter:", this), 12, 110, 346, 16);
  ConverterLinkLabel = Place(new TLinkLabel(kConverterAddress, true, this), 12, 126, 346, 16);
  ConverterLinkLabel->adjustSize();

  Label5 = Place(new QLabel("Several of its controls come from the Qt toolkit:", this), 12, 150, 346, 16);
  LibraryLinkLabel = Place(new TLinkLabel(kLibraryAddress, true, this), 12, 166, 346, 16);
  LibraryLinkLabel->adjustSize();

  Image2 = Place(new QLabel(this), 12, 192, 93, 39);
  Image2->setPixmap(ProgramLogo());

  Label4 = Place(new QLabel("Report Bugs to:", this), 12, 240, 346, 16);
  MailLinkLabel = Place(new TLinkLabel(kMailAddress, true, this), 12, 256, 346, 16);
  MailLinkLabel->adjustSize();

  TranslateButton = Place(new QPushButton(this), 12, 278, 150, 25);
  TranslateButton->setAutoDefault(false);
  Button1 = Place(new QPushButton("O.K.", this), 283, 278, 75, 25);
  Button1->setDefault(true);

  for (QLabel* label : {Label1, Label2, Label3, Label4, Label5}) label->setTextFormat(Qt::PlainText);
}

void TInfoForm::FormCreate() {
  Label1->setText(QString::fromStdString(GetFileVersionString(FServices.AppFileName)));
  ApplyLanguage();
}

void TInfoForm::showEvent(QShowEvent* event) {
  // Centred on the screen, not over the parent as dialogs are by default.
  CentreOnScreen(*this, screen());
  QDialog::showEvent(event);
}

void TInfoForm::Button1Click() {
  if (FMainForm) FMainForm->ReportDebugMode();
  accept();
}

void TInfoForm::ProgramNameLabelClick() {
  if (!FMainForm) return;
  // One question per click: the answer to the first must not lead to the second.
  const bool on = FMainForm->DebugMode();
  const std::string& question = on ? FMsgDisableDebugMode : FMsgEnableDebugMode;
  if (FServices.MessageBoxes->Show(platform::TMessageKind::ConfirmYesNo, question) == platform::TMessageAnswer::Yes) {
    FMainForm->SetDebugMode(!on);
  }
}

void TInfoForm::MakerLinkLabelClick() { FServices.Shell->OpenAddress(kMakerAddress); }

void TInfoForm::MailLinkLabelClick() { FServices.Shell->OpenAddress(std::string("mailto:") + kMailAddress); }

void TInfoForm::ConverterLinkLabelClick() { FServices.Shell->OpenAddress(kConverterAddress); }

void TInfoForm::LibraryLinkLabelClick() { FServices.Shell->OpenAddress(kLibraryAddress); }

void TInfoForm::TranslateButtonClick() {
  if (!FTranslateForm) return;
  FTranslateForm->FillGrid();
  // Owned by this window while shown, so the editor stays above it.
  if (FTranslateForm->parentWidget() != this) FTranslateForm->setParent(this, FTranslateForm->windowFlags());
  FTranslateForm->exec();
}

}  // namespace ratemill
