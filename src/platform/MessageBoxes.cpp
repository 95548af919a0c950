#include "platform/MessageBoxes.h"

namespace ratemill::platform {

std::string MessageCaption(TMessageKind kind, const std::string& applicationTitle) {
  switch (kind) {
    case TMessageKind::ErrorOk:
    case TMessageKind::ErrorYesNo: return "Fehler";
    case TMessageKind::WarningOk:
    case TMessageKind::WarningYesNo: return "Warnung";
    case TMessageKind::ConfirmYesCancel:
    case TMessageKind::ConfirmYesNo: return "Bestätigen";
    case TMessageKind::PlainOk: return applicationTitle;
  }
  return applicationTitle;
}

}  // namespace ratemill::platform
