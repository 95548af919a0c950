#include <cstring>

#include "platform/Errors.h"

namespace ratemill::platform {
namespace {

// strerror_r comes in two shapes: the GNU one returns the text, the XSI one
// fills the buffer and returns a status. Overloads pick whichever we got.
[[maybe_unused]] const char* StrErrorResult(const char* text, const char*) { return text; }
[[maybe_unused]] const char* StrErrorResult(int status, const char* buffer) { return status == 0 ? buffer : ""; }

}  // namespace

std::string SystemErrorText(int code) {
  char buffer[256] = {};
  return StrErrorResult(strerror_r(code, buffer, sizeof buffer), buffer);
}

}  // namespace ratemill::platform
