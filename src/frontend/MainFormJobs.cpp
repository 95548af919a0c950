#include <QCheckBox>
#include <QSpinBox>

#include "frontend/MainForm.h"

namespace ratemill {

int TMainForm::ConcurrentJobs() const {
  // The old batch way opens a visible console per file, and debug mode asks
  // the user about each call in turn: both stay one file at a time whatever
  // the option says.
  if (UseOldBatchModeCheckbox->isChecked() || FDebugMode) return 1;
  return ConcurrentJobsSpinBox->value();
}

void TMainForm::SetConcurrentJobs(int jobs) { ConcurrentJobsSpinBox->setValue(jobs); }

}  // namespace ratemill
