#pragma once

#include <string>
#include <vector>

namespace ratemill::platform {

// Splits a whole command line into arguments by the rules of the Windows C
// runtime: blanks and tabs separate arguments outside quotes; a double quote
// opens or closes a quoted part; 2n backslashes before a quote give n
// backslashes and the quote acts; 2n+1 give n backslashes and a literal quote;
// backslashes before anything else are literal; "" inside a quoted part gives
// a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The inverse for one argument: a token that `SplitCommandLine` turns back into
// exactly `argument`. Plain arguments stay as they are; others are enclosed in
// quotes, with quotes escaped as \" and the backslashes before a quote or the
// closing quote doubled.
std::string QuoteArgument(const std::string& argument);

}  // namespace ratemill::platform
