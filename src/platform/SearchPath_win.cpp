#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/SearchPath.h"
#include "platform/WinText.h"

namespace ratemill::platform {

std::string FindOnSearchPath(const std::string& searchPath, const std::string& program, EmptyPathEntry emptyEntry) {
  // Windows separates the entries of `PATH` with ';', since ':' belongs to a
  // drive letter; an entry may be quoted when it holds a ';' itself.
  std::size_t start = 0;
  for (;;) {
    std::size_t end = start;
    bool quoted = false;
    while (end < searchPath.size() && (quoted || searchPath[end] != ';')) {
      if (searchPath[end] == '"') quoted = !quoted;
      ++end;
    }
    std::string folder;
    for (std::size_t i = start; i < end; ++i) {
      if (searchPath[i] != '"') folder += searchPath[i];
    }
    if (!folder.empty() || emptyEntry == EmptyPathEntry::kCurrentFolder) {
      std::string candidate = (folder.empty() ? std::string(".\\") : IncludeTrailingPathDelimiter(folder)) + program;
      if (IsExecutableFile(candidate)) return candidate;
    }
    if (end >= searchPath.size()) return {};
    start = end + 1;
  }
}

bool IsExecutableFile(const std::string& path) {
  // Windows has no execute permission to ask for: what the system would
  // start as a program is a file (not a folder) that holds one.
  const std::wstring wide = Utf8ToWide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  DWORD binaryType = 0;
  return ::GetBinaryTypeW(wide.c_str(), &binaryType) != 0;
}

}  // namespace ratemill::platform
