#pragma once

#include <string>

namespace ratemill {

// What opens the version stamp that the build places into a program file. The
// stamp goes on with the four numbers major.minor.release.build, each a
// decimal number from 0 to 65535, joined by "." and closed by ";".
inline constexpr char kFileVersionMarker[] = "RATEMILL-FILE-VERSION:";

// The file version of the program file `fileName`, read back from the file
// itself: "major.minor.release.build", or empty text when the file is missing
// or unreadable or carries no complete stamp.
std::string GetFileVersionString(const std::string& fileName);

}  // namespace ratemill
