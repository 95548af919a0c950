#include "platform/FileSystem.h"

#include <string_view>

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

}  // namespace ratemill::platform
