#pragma once

#include <exception>
#include <string>

namespace ratemill::crash {

// Facts for a report that only the operating system or the compiler's
// runtime can give; one implementation per platform.

// The operating system: name, release, version and machine.
std::string OperatingSystemDescription();

// The readable type of a thrown error ("ratemill::platform::EIniFileError").
std::string ExceptionTypeName(const std::exception_ptr& error);

// The calling thread's stack, one frame a line, innermost first, with the
// frames of the reporting itself left out. Function names need the program
// to export its symbols (`-rdynamic`); without them frames show addresses.
std::string CaptureStackTrace();

// A stack line as the fatal handler wrote it, with the mangled function name
// in it made readable; other lines are returned unchanged.
std::string DemangleStackLine(const std::string& line);

// An identification of the calling thread.
std::string CurrentThreadDescription();

// Seconds since 1970 now.
long long SecondsSinceEpoch();

}  // namespace ratemill::crash
