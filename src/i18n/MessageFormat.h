#pragma once

#include <string>

namespace ratemill {

// Every "[[linebreak]]", in any letter case, becomes "\r\n".
std::string ReplaceLineBreakMarkers(const std::string& text);

// Puts `argument` in place of the first "%s" of `text`. Every other character,
// further "%s", "%d", "%%" and a lone "%" included, stays as written: the
// template comes from a user-editable language file and must never be able to
// make the program read arguments it was not given.
std::string FillFirstStringPlaceholder(const std::string& text, const std::string& argument);

// The missing-converter message as shown: markers turned into line breaks,
// then the program's folder filled in.
std::string FormatMissingConverterMessage(const std::string& text, const std::string& appDir);

}  // namespace ratemill
