#include "frontend/BatchLauncher.h"
#include "frontend/arguments/BatchScript.h"
#include "platform/FileSystem.h"

namespace ratemill {

std::string MakeBatchScript(const std::string& appDir, const std::string& converterName, bool hpChecked,
                            const std::string& arguments) {
  return MakeBatchScriptWin(appDir, converterName, hpChecked, arguments);
}

void WriteBatchScript(const std::string& path, const std::string& content) {
  platform::WriteFileAtomically(path, content);
}

std::string FindTerminal(const std::string& searchPath) {
  // The command interpreter opens the console window a script runs in.
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = searchPath.find(';', start);
    const std::string folder = searchPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!folder.empty()) {
      const std::string candidate = platform::IncludeTrailingPathDelimiter(folder) + "cmd.exe";
      if (platform::FileExists(candidate)) return candidate;
    }
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

TBatchLaunch MakeBatchLaunch(const std::string& scriptPath, const std::string&, const std::string&) {
  // The system starts a script named as the program through its command
  // interpreter, in a console window of its own since ours has none; the
  // title comes with the start-up record.
  return {scriptPath, ""};
}

}  // namespace ratemill
