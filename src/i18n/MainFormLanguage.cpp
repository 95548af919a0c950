#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>

#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "frontend/RunStatusModel.h"
#include "i18n/TextCatalogue.h"
#include "platform/IniFile.h"

namespace ratemill {
namespace {

// A caption as a screen reader says it: without the accelerator marks, with
// a doubled "&" as the one character it shows.
QString WithoutAccelerator(QString caption) {
  caption.replace("&&", QString(QChar(0)));
  caption.remove('&');
  return caption.replace(QChar(0), '&');
}

// Replaces the item's text and keeps the list's selection where it was.
void RetextItem(QComboBox* combo, int index, const std::string& text) {
  const int selected = combo->currentIndex();
  combo->setItemText(index, QString::fromStdString(text));
  combo->setCurrentIndex(selected);
}

}  // namespace

void TMainForm::ApplyLanguage() {
  const platform::TIniFile file(LanguageFileName(FServices.DataDir));
  auto text = [&file](TTextId id) { return QString::fromStdString(ReadWindowText(file, id)); };

  BatchAddFilesButton->setText(text(TTextId::BatchButton));
  FilesGroupBox->setTitle(text(TTextId::GroupFiles));

  GroupOptions->setTitle(text(TTextId::GroupOptions));
  OpenButton->setText(text(TTextId::OpenButton));
  DeleteButton->setText(text(TTextId::DeleteButton));
  CancelButton->setText(text(TTextId::CancelButton));
  FindFolderButton->setText(text(TTextId::FindFolderButton));
  LabelSampleRate->setText(text(TTextId::LabelSampleRate));

  RetextItem(ComboSampleRate, 0, ReadWindowText(file, TTextId::DontChangeSampleRate));
  RetextItem(ComboBits, 0, ReadWindowText(file, TTextId::DontChangeBitRate));

  LabelAttenuation->setText(text(TTextId::LabelAttenuation));
  LabelTargetDir->setText(text(TTextId::LabelTargetDir));
  LabelBits->setText(text(TTextId::LabelBits));
  LabelPDFofNoise->setText(text(TTextId::LabelPDFofNoise));
  CheckFast->setText(text(TTextId::CheckFast));
  CheckTwoPass->setText(text(TTextId::CheckTwoPass));
  CheckNormalize->setText(text(TTextId::CheckNormalize));
  GroupDither->setTitle(text(TTextId::GroupDither));
  StartButton->setText(text(TTextId::StartButton));
  TempFileCheckBox->setText(text(TTextId::TempFileCheckBox));
  HPCheckbox->setText(text(TTextId::HPCheckBox));
  UseOldBatchModeCheckbox->setText(text(TTextId::UseOldBatchModeCheckbox));
  PrioForSSRCLabel->setText(text(TTextId::PrioForSSRCLabel));
  LabelConcurrentJobs->setText(text(TTextId::LabelConcurrentJobs));
  // Assistive technology names the control in the program's language, as
  // its label reads.
  ConcurrentJobsSpinBox->setAccessibleName(WithoutAccelerator(LabelConcurrentJobs->text()));

  const int priority = PrioComboBox->currentIndex();
  PrioComboBox->setItemText(0, text(TTextId::PrioLow));
  PrioComboBox->setItemText(1, text(TTextId::PrioNormal));
  PrioComboBox->setItemText(2, text(TTextId::PrioHigh));
  PrioComboBox->setCurrentIndex(priority);

  FMsgMissingSSRC = ReadWindowText(file, TTextId::MissingSSRC);
  FMsgNoFilesSelected = ReadWindowText(file, TTextId::NoFilesSelected);
  FMsgCreateNewDirQuery = ReadWindowText(file, TTextId::CreateNewDirQuery);
  FMsgStatusCheckingParameters = ReadWindowText(file, TTextId::StatusCheckParameters);
  FMsgStatusProcessingFile = ReadWindowText(file, TTextId::StatusProcessFile);
  FMsgNoTmpFileName = ReadWindowText(file, TTextId::NoTmpFileName);
  FMsgInvalidAttenuation = ReadWindowText(file, TTextId::InvalidAttenuation);

  FMsgProgressCount = ReadWindowText(file, TTextId::ProgressCount);
  FMsgProgressTimeLeft = ReadWindowText(file, TTextId::ProgressTimeLeft);
  FMsgSummary.Files = ReadWindowText(file, TTextId::SummaryFiles);
  FMsgSummary.OneFile = ReadWindowText(file, TTextId::SummaryOneFile);
  FMsgSummary.Converted = ReadWindowText(file, TTextId::SummaryConverted);
  FMsgSummary.Failed = ReadWindowText(file, TTextId::SummaryFailed);
  FMsgSummary.Skipped = ReadWindowText(file, TTextId::SummarySkipped);
  FMsgSummary.Cancelled = ReadWindowText(file, TTextId::SummaryCancelled);
  FMsgFailedFilesBox = ReadWindowText(file, TTextId::FailedFilesBox);
  FMsgMoreFailedFiles = ReadWindowText(file, TTextId::MoreFailedFiles);
  FMsgOutputExistsReason = ReadWindowText(file, TTextId::OutputExistsReason);

  const TTextId columns[] = {TTextId::ColumnFile, TTextId::ColumnState,  TTextId::ColumnProgress,
                             TTextId::ColumnTime, TTextId::ColumnResult, TTextId::ColumnNote};
  const TTextId states[] = {TTextId::StateWaiting, TTextId::StateRunning, TTextId::StateDone,
                            TTextId::StateFailed,  TTextId::StateSkipped, TTextId::StateCancelled};
  for (std::size_t i = 0; i < FRunStatusTexts.Columns.size(); ++i)
    FRunStatusTexts.Columns[i] = ReadWindowText(file, columns[i]);
  for (std::size_t i = 0; i < FRunStatusTexts.States.size(); ++i)
    FRunStatusTexts.States[i] = ReadWindowText(file, states[i]);
  FRunStatusTexts.Format = ReadWindowText(file, TTextId::ResultFormat);
  FRunStatusTableName = ReadWindowText(file, TTextId::StatusTableName);
  RunProgressBar->setAccessibleName(
      QString::fromStdString(FRunStatusTexts.Columns[static_cast<std::size_t>(TRunStatusModel::colProgress)]));
  ApplyConsoleTexts();
}

void TMainForm::ApplyConsoleTexts() {
  if (FConsoleOutputForm == nullptr || FConsoleOutputForm->RunStatus == nullptr) return;
  FConsoleOutputForm->RunStatus->SetTexts(FRunStatusTexts);
  FConsoleOutputForm->RunStatusView->setAccessibleName(QString::fromStdString(FRunStatusTableName));
}

}  // namespace ratemill
