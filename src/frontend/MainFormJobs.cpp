#include "frontend/MainForm.h"

namespace ratemill {
namespace {

// Until the options offer a choice, every run converts one file at a time
// unless a test asks for more.
int gConcurrentJobs = 1;

}  // namespace

int TMainForm::ConcurrentJobs() const { return gConcurrentJobs; }

void TMainForm::SetConcurrentJobs(int jobs) { gConcurrentJobs = jobs < 1 ? 1 : jobs; }

}  // namespace ratemill
