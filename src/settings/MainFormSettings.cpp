#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "frontend/UpDown.h"
#include "platform/IniFile.h"
#include "settings/ConcurrentJobs.h"

namespace ratemill {
namespace {

constexpr const char* kSection = "Einstellungen";

// A stored index that does not name an entry (a hand-edited file, or -1 saved
// from a list without selection) selects entry 0: the batch run needs either
// entry 0 or an entry with a number, and a list without selection has neither.
void SelectStoredIndex(QComboBox* combo, long index) {
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? static_cast<int>(index) : 0);
}

}  // namespace

void TMainForm::LoadSettings() {
  const platform::TIniFile settings(FSettingsFile);

  // "Samplerate" has no index of its own as default; a missing or unreadable
  // value, like any index outside the list, falls to entry 0.
  SelectStoredIndex(ComboSampleRate, settings.ReadInteger(kSection, "Samplerate", 0));
  SelectStoredIndex(ComboBits, settings.ReadInteger(kSection, "Bits", 0));
  SelectStoredIndex(NoiseComboBox, settings.ReadInteger(kSection, "Rauschen", 0));

  AttenuateDBEdit->setText(QString::fromStdString(settings.ReadString(kSection, "Abschwaecher", "0")));
  UpDownButtons->SetMin(0);

  CheckTwoPass->setChecked(settings.ReadBool(kSection, "Clippingschutz", false));
  CheckNormalize->setChecked(settings.ReadBool(kSection, "Normalisieren", false));
  CheckFast->setChecked(settings.ReadBool(kSection, "Schnell", false));

  SetDitherIndex(settings.ReadInteger(kSection, "Dither", 0));

  SetTargetDirectory(settings.ReadString(kSection, "Zielpfad", ""));

  // Changing the box runs its handler, which sets the edit's read-only state.
  TempFileCheckBox->setChecked(settings.ReadBool(kSection, "TmpFile", false));
  if (TempFileCheckBox->isChecked()) {
    TempFilenameEdit->SetFileName(settings.ReadString(kSection, "TmpFilePfad", ""));
    TempFilenameEdit->SetReadOnly(false);
  }

  HPCheckbox->setChecked(settings.ReadBool(kSection, "benutzeHP", false));

  // Files of older versions lack the key and get the default; a hand-edited
  // value outside the option's bounds is brought into them.
  ConcurrentJobsSpinBox->setValue(
      ClampConcurrentJobs(settings.ReadInteger(kSection, "GleichzeitigeKonvertierungen", DefaultConcurrentJobs())));
}

void TMainForm::SaveSettings() {
  // The keys are collected in the file object and reach the disk in one
  // write at `UpdateFile`, so a failure or a kill leaves the old file whole.
  platform::TIniFile settings(FSettingsFile);

  settings.WriteInteger(kSection, "Samplerate", ComboSampleRate->currentIndex());
  settings.WriteInteger(kSection, "Bits", ComboBits->currentIndex());
  settings.WriteInteger(kSection, "Rauschen", NoiseComboBox->currentIndex());
  settings.WriteString(kSection, "Abschwaecher", AttenuateDBEdit->text().toStdString());
  settings.WriteBool(kSection, "Clippingschutz", CheckTwoPass->isChecked());
  settings.WriteBool(kSection, "Normalisieren", CheckNormalize->isChecked());
  settings.WriteBool(kSection, "Schnell", CheckFast->isChecked());

  if (const int dither = DitherIndex(); dither >= 0) settings.WriteInteger(kSection, "Dither", dither);

  settings.WriteString(kSection, "Zielpfad", TargetDirectory());
  settings.WriteBool(kSection, "TmpFile", TempFileCheckBox->isChecked());
  // With the box off the stored path is left alone, so switching the option
  // back on later finds it again.
  if (TempFileCheckBox->isChecked()) settings.WriteString(kSection, "TmpFilePfad", TempFilenameEdit->FileName());
  settings.WriteBool(kSection, "benutzeHP", HPCheckbox->isChecked());
  settings.WriteInteger(kSection, "GleichzeitigeKonvertierungen", ConcurrentJobsSpinBox->value());
  settings.UpdateFile();
}

}  // namespace ratemill
