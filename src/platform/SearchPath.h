#pragma once

#include <string>

namespace ratemill::platform {

// What an empty entry of a search path stands for. A shell reads it as the
// current folder, and a program started by name must be found as the shell
// would find it; a terminal we choose for the user is never taken from
// wherever we happen to be.
enum class EmptyPathEntry { kSkip, kCurrentFolder };

// The first `folder` + `program` along `searchPath` (the form of the `PATH`
// variable) that is an executable regular file, or an empty string when no
// folder holds one.
std::string FindOnSearchPath(const std::string& searchPath, const std::string& program, EmptyPathEntry emptyEntry);

// True for a regular file that this process may execute.
bool IsExecutableFile(const std::string& path);

}  // namespace ratemill::platform
