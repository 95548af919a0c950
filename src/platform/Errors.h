#pragma once

#include <stdexcept>
#include <string>

namespace ratemill::platform {

// An operating-system call failed. The message is
// "Systemfehler.  Code: <code>." + "\n" + the system's text for the code, or
// "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen" without a code.
class ESystemError : public std::runtime_error {
 public:
  explicit ESystemError(int code);
  int Code() const { return FCode; }

 private:
  int FCode;
};

// A profile file could not be written.
class EIniFileError : public std::runtime_error {
 public:
  explicit EIniFileError(const std::string& fileName);
};

std::string SystemErrorMessage(int code);
// The system's own text for an error code of this platform (an errno value
// on POSIX, a GetLastError value on Windows); empty when it has none.
std::string SystemErrorText(int code);
[[noreturn]] void RaiseLastOSError(int code);

}  // namespace ratemill::platform
