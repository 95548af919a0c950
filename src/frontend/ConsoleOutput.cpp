#include "frontend/MainForm.h"

namespace ratemill {

// Filled in by the batch-run work.
void TMainForm::ProcessRunnerRead(const TProcessRunner&, const std::string&, bool) {}

// Filled in by the batch-run work.
void TMainForm::ProcessRunnerErrorRead(const TProcessRunner&, const std::string&, bool) {}

}  // namespace ratemill
