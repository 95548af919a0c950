#include "platform/Errors.h"

namespace ratemill::platform {

std::string SystemErrorMessage(int code) {
  if (code == 0) return "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen";
  return "Systemfehler.  Code: " + std::to_string(code) + ".\n" + SystemErrorText(code);
}

ESystemError::ESystemError(int code) : std::runtime_error(SystemErrorMessage(code)), FCode(code) {}

EIniFileError::EIniFileError(const std::string& fileName)
    : std::runtime_error("In " + fileName + " kann nicht geschrieben werden") {}

void RaiseLastOSError(int code) { throw ESystemError(code); }

}  // namespace ratemill::platform
