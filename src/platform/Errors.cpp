#include "platform/Errors.h"

#include <cstring>

namespace ratemill::platform {
namespace {

// strerror_r comes in two shapes: the GNU one returns the text, the XSI one
// fills the buffer and returns a status. Overloads pick whichever we got.
[[maybe_unused]] const char* StrErrorResult(const char* text, const char*) { return text; }
[[maybe_unused]] const char* StrErrorResult(int status, const char* buffer) { return status == 0 ? buffer : ""; }

std::string SystemText(int code) {
  char buffer[256] = {};
  return StrErrorResult(strerror_r(code, buffer, sizeof buffer), buffer);
}

}  // namespace

std::string SystemErrorMessage(int code) {
  if (code == 0) return "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen";
  return "Systemfehler.  Code: " + std::to_string(code) + ".\n" + SystemText(code);
}

ESystemError::ESystemError(int code) : std::runtime_error(SystemErrorMessage(code)), FCode(code) {}

EIniFileError::EIniFileError(const std::string& fileName)
    : std::runtime_error("In " + fileName + " kann nicht geschrieben werden") {}

void RaiseLastOSError(int code) { throw ESystemError(code); }

}  // namespace ratemill::platform
