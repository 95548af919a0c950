#include "platform/FileSystem.h"

#include <string_view>

#include "platform/TempFileNames.h"

namespace ratemill::platform {

std::string ExtractFilePath(const std::string& path) {
  const auto pos = path.find_last_of(PathDelimiters);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  const auto pos = path.find_last_of(PathDelimiters);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (path.empty() || std::string_view(PathDelimiters).find(path.back()) != std::string_view::npos) return path;
  return path + PathDelim;
}

std::uint32_t TempFileWriter(const std::string& name, std::size_t prefixSize) {
  auto digits = [&name](std::size_t from) {
    std::size_t to = from;
    while (to < name.size() && name[to] >= '0' && name[to] <= '9') ++to;
    return to;
  };
  if (prefixSize > name.size()) return 0;
  const std::size_t pidEnd = digits(prefixSize);
  if (pidEnd == prefixSize || pidEnd - prefixSize > 9 || pidEnd >= name.size() || name[pidEnd] != '-') return 0;
  const std::size_t counterEnd = digits(pidEnd + 1);
  if (counterEnd == pidEnd + 1 || counterEnd != name.size()) return 0;
  return static_cast<std::uint32_t>(std::stoul(name.substr(prefixSize, pidEnd - prefixSize)));
}

}  // namespace ratemill::platform
