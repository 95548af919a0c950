#pragma once

#include <string>

namespace ratemill::platform {

// The folder a file or folder dialog opens in: the one the caller asks for,
// else the one the user last chose in any dialog of this run, else the user's
// music folder (where a desktop keeps the audio a user converts). Empty when
// none of them is known, which leaves the toolkit's own choice.
std::string DialogStartFolder(const std::string& requested, const std::string& lastChosen,
                              const std::string& musicFolder);

}  // namespace ratemill::platform
