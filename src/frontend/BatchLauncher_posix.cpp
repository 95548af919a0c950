#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "frontend/BatchLauncher.h"
#include "frontend/arguments/BatchScript.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/SearchPath.h"

namespace ratemill {

std::string MakeBatchScript(const std::string& appDir, const std::string& converterName, bool hpChecked,
                            const std::string& arguments) {
  return MakeBatchScriptPosix(appDir, converterName, hpChecked, arguments);
}

void WriteBatchScript(const std::string& path, const std::string& content) {
  platform::WriteFileAtomically(path, content);
  if (::chmod(path.c_str(), 0755) != 0) throw platform::ESystemError(errno);
}

std::string FindTerminal(const std::string& searchPath) {
  // The desktop's chosen terminal first; xterm is the one most often there
  // when no choice was made.
  for (const char* program : {"x-terminal-emulator", "xterm"}) {
    // An empty entry would mean our current folder, which is nobody's choice
    // of terminal.
    std::string found = platform::FindOnSearchPath(searchPath, program, platform::EmptyPathEntry::kSkip);
    if (!found.empty()) return found;
  }
  return {};
}

TBatchLaunch MakeBatchLaunch(const std::string& scriptPath, const std::string& title, const std::string& terminal) {
  if (terminal.empty()) return {scriptPath, ""};
  // Both terminals take a title with -T and run what follows -e in the window,
  // staying open until it ends, so the run waits for the conversion. The
  // script goes through sh by name so that it runs whatever its mode bits.
  std::string commandLine = platform::ExtractFileName(terminal);
  commandLine += " -T " + platform::QuoteArgument(title);
  commandLine += " -e /bin/sh " + platform::QuoteArgument(scriptPath);
  return {terminal, commandLine};
}

}  // namespace ratemill
