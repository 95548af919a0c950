#include "platform/FileSystem.h"

namespace ratemill::platform {

std::string ExtractFilePath(const std::string& path) {
  const auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  const auto pos = path.rfind(PathDelim);
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
  if (path.empty() || path.back() == PathDelim) return path;
  return path + PathDelim;
}

}  // namespace ratemill::platform
