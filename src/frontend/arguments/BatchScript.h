#pragma once

#include <string>

namespace ratemill {

// The script that old batch mode writes for one file and runs in a visible
// console. `appDir` is the program's folder with its trailing delimiter,
// `converterName` the converter's name with its trailing blank, `hpChecked`
// the high-precision box as it is now (it picks the echoed name), `arguments`
// the argument string before any code-page conversion.

// cmd.exe form: "@echo off", the drive, "cd" into the folder, the echo and
// the call; every line ends with CR LF.
std::string MakeBatchScriptWin(const std::string& appDir, const std::string& converterName, bool hpChecked,
                               const std::string& arguments);

// sh form with the same steps and LF line ends. The argument string is split
// as the converter's C runtime would split it and every argument is handed
// over single-quoted, so the converter sees exactly the argv that a direct
// start with that command line gives it, whatever the paths hold.
std::string MakeBatchScriptPosix(const std::string& appDir, const std::string& converterName, bool hpChecked,
                                 const std::string& arguments);

}  // namespace ratemill
