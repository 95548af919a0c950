#pragma once

#include <string>

namespace ratemill::platform {

// On Windows the core keeps every path and text as UTF-8 and speaks to the
// system through its wide-character ("W") calls, so that a file name with any
// character travels unchanged. These convert at that boundary; a byte string
// that is no UTF-8 keeps each stray byte as the character of the same value,
// so nothing is lost on the way there and back.
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

}  // namespace ratemill::platform
