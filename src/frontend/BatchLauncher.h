#pragma once

#include <string>

namespace ratemill {

// How old batch mode starts its script on this platform: the program and the
// whole command line that the process runner is given for one file.
struct TBatchLaunch {
  std::string ApplicationName;
  std::string CommandLine;
};

// The script's file name in the program's folder.
inline constexpr char kBatchScriptName[] = "callssrc.bat";

// The script for one file in this platform's form. `converterName` keeps its
// trailing blank; `arguments` is the argument string before any code-page
// conversion.
std::string MakeBatchScript(const std::string& appDir, const std::string& converterName, bool hpChecked,
                            const std::string& arguments);

// Replaces the script at `path` whole and leaves it ready to be started, so a
// script that a still-open window is reading is never changed under it.
// Throws `ESystemError` when it cannot be written.
void WriteBatchScript(const std::string& path, const std::string& content);

// The program that opens a visible window for the script, looked up in the
// PATH-style folder list `searchPath`; empty when there is none.
std::string FindTerminal(const std::string& searchPath);

// What the runner starts to run the script at `scriptPath` under `title`:
// through `terminal` when one was found, otherwise the script itself, without
// a window.
TBatchLaunch MakeBatchLaunch(const std::string& scriptPath, const std::string& title, const std::string& terminal);

}  // namespace ratemill
