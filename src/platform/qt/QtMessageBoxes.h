#pragma once

#include <string>

#include "platform/MessageBoxes.h"

namespace ratemill::platform {

// Modal message boxes of the seven fixed kinds, with German captions and buttons.
class TQtMessageBoxes : public IMessageBoxes {
 public:
  explicit TQtMessageBoxes(std::string applicationTitle);

  TMessageAnswer Show(TMessageKind kind, const std::string& text) override;

 private:
  std::string FApplicationTitle;
};

}  // namespace ratemill::platform
