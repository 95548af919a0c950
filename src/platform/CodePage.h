#pragma once

#include <string>

namespace ratemill::platform {

// The system's ANSI code page to its OEM code page, character for character,
// same length. The identity where both are UTF-8 (POSIX).
std::string Ansi2OEM(const std::string& text);

// ANSI (8-bit) text to UTF-16 and back. A character the code page cannot hold
// becomes its default character ('?').
std::u16string AnsiToUtf16(const std::string& text);
std::string Utf16ToAnsi(const std::u16string& text);

}  // namespace ratemill::platform
