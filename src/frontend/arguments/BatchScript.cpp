#include "frontend/arguments/BatchScript.h"

#include "platform/CodePage.h"
#include "platform/CommandLine.h"

namespace ratemill {

namespace {

const char* EchoName(bool hpChecked) { return hpChecked ? "ssrc_hp " : "ssrc "; }

// Inside single quotes sh takes every character literally except the quote
// itself, which is closed, escaped and reopened.
std::string QuoteForShell(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'')
      quoted += "'\\''";
    else
      quoted += c;
  }
  quoted += '\'';
  return quoted;
}

}  // namespace

std::string MakeBatchScriptWin(const std::string& appDir, const std::string& converterName, bool hpChecked,
                               const std::string& arguments) {
  const std::string oemArguments = platform::Ansi2OEM(arguments);
  const std::string drive = appDir.substr(0, 2);
  const std::string folder = appDir.size() > 2 ? appDir.substr(2, 255) : std::string();
  std::string script;
  script += "@echo off\r\n";
  script += drive + "\r\n";
  script += "cd \"" + folder + "\"\r\n";
  script += std::string("echo ") + EchoName(hpChecked) + oemArguments + "\r\n";
  script += converterName + oemArguments + "\r\n";
  return script;
}

std::string MakeBatchScriptPosix(const std::string& appDir, const std::string& converterName, bool hpChecked,
                                 const std::string& arguments) {
  const std::string oemArguments = platform::Ansi2OEM(arguments);

  std::string program = converterName;
  while (!program.empty() && program.back() == ' ') program.pop_back();

  // printf rather than echo: some shells' echo expands backslashes in paths.
  std::string call = QuoteForShell("./" + program);
  for (const std::string& argument : platform::SplitCommandLine(oemArguments)) call += " " + QuoteForShell(argument);

  std::string script;
  script += "#!/bin/sh\n";
  script += "cd " + QuoteForShell(appDir) + " || exit 1\n";
  script += "printf '%s\\n' " + QuoteForShell(EchoName(hpChecked) + oemArguments) + "\n";
  script += call + "\n";
  return script;
}

}  // namespace ratemill
