#include "platform/CommandLine.h"

namespace ratemill::platform {
namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  const std::size_t n = commandLine.size();
  std::size_t i = 0;
  for (;;) {
    while (i < n && IsSeparator(commandLine[i])) ++i;
    if (i >= n) break;
    std::string argument;
    bool quoted = false;
    while (i < n) {
      const char c = commandLine[i];
      if (IsSeparator(c) && !quoted) break;
      if (c == '\\') {
        std::size_t end = i;
        while (end < n && commandLine[end] == '\\') ++end;
        const std::size_t count = end - i;
        if (end < n && commandLine[end] == '"') {
          argument.append(count / 2, '\\');
          if (count % 2 == 1) {
            argument.push_back('"');
            i = end + 1;
          } else {
            i = end;  // the quote acts, on the next round
          }
        } else {
          argument.append(count, '\\');
          i = end;
        }
      } else if (c == '"') {
        if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
          argument.push_back('"');
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.push_back(c);
        ++i;
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string token = "\"";
  const std::size_t n = argument.size();
  for (std::size_t i = 0; i <= n;) {
    std::size_t end = i;
    while (end < n && argument[end] == '\\') ++end;
    const std::size_t count = end - i;
    if (end == n) {
      token.append(count * 2, '\\');  // they stand before the closing quote
      break;
    }
    if (argument[end] == '"') {
      token.append(count * 2 + 1, '\\');
      token.push_back('"');
    } else {
      token.append(count, '\\');
      token.push_back(argument[end]);
    }
    i = end + 1;
  }
  token.push_back('"');
  return token;
}

}  // namespace ratemill::platform
