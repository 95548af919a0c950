#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/ProgramFolders.h"
#include "platform/WinText.h"

namespace ratemill::platform {
namespace {

std::string Environment(const wchar_t* name) {
  const wchar_t* value = ::_wgetenv(name);
  return value != nullptr ? WideToUtf8(value) : std::string();
}

std::atomic<unsigned> gProbeCounter{0};

}  // namespace

bool IsFolderWritable(const std::string& folder) {
  // A probe file that the system removes as soon as it is closed.
  const std::string name = IncludeTrailingPathDelimiter(folder.empty() ? std::string(".") : folder) +
                           ".ratemill-probe-" + std::to_string(::GetCurrentProcessId()) + "-" +
                           std::to_string(gProbeCounter.fetch_add(1));
  HANDLE probe = ::CreateFileW(Utf8ToWide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(probe);
  return true;
}

// Windows keeps a user's program settings under the roaming application data
// folder; it is handed over as the base folder, never as a home folder.
TProgramFolders DecideProgramFolders(const std::string& appDir) {
  return DecideProgramFolders(appDir, Environment(L"APPDATA"), Environment(L"USERPROFILE"));
}

}  // namespace ratemill::platform
