#pragma once

#include <string>

#include "process/RunnerTypes.h"

namespace ratemill {

// Title and placement of the child's window. Copying copies all twelve fields.
struct TRunnerStartupInfo {
  std::string Desktop;
  std::string Title;
  int Left = 0;
  int Top = 0;
  bool DefaultPosition = true;
  int Width = 0;
  int Height = 0;
  bool DefaultSize = true;
  TRunnerShowWindow ShowWindow = TRunnerShowWindow::swNormal;
  bool DefaultWindowState = true;
  bool ForceOnFeedback = false;
  bool ForceOffFeedback = false;

  friend bool operator==(const TRunnerStartupInfo&, const TRunnerStartupInfo&) = default;
};

}  // namespace ratemill
