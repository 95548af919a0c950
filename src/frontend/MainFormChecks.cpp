#include <QLineEdit>

#include "frontend/MainForm.h"
#include "frontend/arguments/AttenuationText.h"

namespace ratemill {

bool TMainForm::CheckAttenuation() {
  if (IsAttenuationNumber(AttenuateDBEdit->text().toStdString())) return true;
  FServices.MessageBoxes->Show(platform::TMessageKind::WarningOk, FMsgInvalidAttenuation);
  // The user is to correct the field, so that is where the focus goes.
  AttenuateDBEdit->setFocus();
  AttenuateDBEdit->selectAll();
  return false;
}

}  // namespace ratemill
