#include <windows.h>

#include <string>

#include "platform/AppDir.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/WinText.h"

namespace ratemill::platform {

std::string GetAppFileName() {
  // The path's length is not known in advance: grow until it fits.
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) RaiseLastOSError(static_cast<int>(::GetLastError()));
    if (n < buffer.size()) {
      buffer.resize(n);
      return WideToUtf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string GetAppDir() { return ExtractFilePath(GetAppFileName()); }

}  // namespace ratemill::platform
