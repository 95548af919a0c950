#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "CrashChild.h"

namespace ratemill::test::crash_child {

void SuppressCrashLeftovers() {
  // The fatal handler turns these off as well; here they are off even
  // before it is installed.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

const void* ImageBase() { return ::GetModuleHandleW(nullptr); }

// Writes its working folder, its arguments, and what the file handle named by
// RATEMILL_CRASH_CHILD_STRAY holds at its start ("nothing" when that handle
// was not inherited).
int ReportHowIWasStarted(int argc, char** argv) {
  char report[MAX_PATH];
  const DWORD reportSize = ::GetEnvironmentVariableA("RATEMILL_CRASH_CHILD_REPORT", report, sizeof report);
  if (reportSize == 0 || reportSize >= sizeof report) return 2;
  std::string text;
  char folder[MAX_PATH * 4];
  const DWORD folderSize = ::GetCurrentDirectoryA(sizeof folder, folder);
  text += folderSize > 0 && folderSize < sizeof folder ? std::string(folder, folderSize) : "?";
  text += "\n" + std::to_string(argc) + " argument(s):";
  for (int i = 0; i < argc; ++i) text += std::string(" [") + argv[i] + "]";
  text += "\nstray: ";
  char stray[32];
  const DWORD straySize = ::GetEnvironmentVariableA("RATEMILL_CRASH_CHILD_STRAY", stray, sizeof stray);
  std::string held;
  if (straySize > 0 && straySize < sizeof stray) {
    const HANDLE file = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(stray, nullptr, 10)));
    char buffer[32];
    OVERLAPPED at{};
    DWORD n = 0;
    if (::GetFileType(file) == FILE_TYPE_DISK && ::ReadFile(file, buffer, sizeof buffer, &n, &at))
      held.assign(buffer, n);
  }
  text += held.empty() ? "nothing" : held;
  text += "\n";

  const HANDLE out = ::CreateFileA(report, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return 3;
  DWORD written = 0;
  const bool whole =
      ::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
  ::CloseHandle(out);
  return whole ? 0 : 3;
}

}  // namespace ratemill::test::crash_child
