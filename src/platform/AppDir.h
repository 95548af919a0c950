#pragma once

#include <string>

namespace ratemill::platform {

// The folder of the running program's executable, ending with `PathDelim`.
std::string GetAppDir();

// The full path of the running program's executable.
std::string GetAppFileName();

}  // namespace ratemill::platform
