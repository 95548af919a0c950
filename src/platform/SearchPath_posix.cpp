#include "platform/SearchPath.h"

#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileSystem.h"

namespace ratemill::platform {

std::string FindOnSearchPath(const std::string& searchPath, const std::string& program, EmptyPathEntry emptyEntry) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = searchPath.find(':', start);
    const std::string folder = searchPath.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!folder.empty() || emptyEntry == EmptyPathEntry::kCurrentFolder) {
      std::string candidate = (folder.empty() ? std::string("./") : IncludeTrailingPathDelimiter(folder)) + program;
      if (IsExecutableFile(candidate)) return candidate;
    }
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace ratemill::platform
