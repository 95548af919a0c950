#include "frontend/MainForm.h"

namespace ratemill {

// Filled in by the About-window work.
void TMainForm::InfoButtonClick() {}

}  // namespace ratemill
