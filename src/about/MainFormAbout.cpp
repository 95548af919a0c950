#include <QDialog>

#include "about/InfoForm.h"
#include "frontend/MainForm.h"

namespace ratemill {

void TMainForm::InfoButtonClick() {
  if (!FInfoForm) return;
  // Owned by the main window while shown, so the About window stays above it.
  if (FInfoForm->parentWidget() != this) FInfoForm->setParent(this, FInfoForm->windowFlags());
  FInfoForm->exec();
}

}  // namespace ratemill
