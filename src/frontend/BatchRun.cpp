#include "frontend/MainForm.h"

namespace ratemill {

// Filled in by the batch-run work.
void TMainForm::StartButtonClick() {}

// Filled in by the batch-run work.
void TMainForm::CancelButtonClick() {}

}  // namespace ratemill
