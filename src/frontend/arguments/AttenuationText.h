#pragma once

#include <string_view>

namespace ratemill {

// True when `text` is a number the converter takes as an attenuation in dB:
// an optional sign, digits with at most one decimal point (at least one
// digit), blanks around it allowed. A decimal comma, an exponent or an empty
// text are not: the converter would answer them with its usage text alone.
bool IsAttenuationNumber(std::string_view text);

}  // namespace ratemill
