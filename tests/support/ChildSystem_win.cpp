#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ChildSystem.h"

namespace ratemill::test::child {

void WriteAll(TStream stream, const char* data, std::size_t size) {
  const HANDLE out = ::GetStdHandle(stream == TStream::Error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!::WriteFile(out, data, chunk, &written, nullptr)) std::_Exit(3);
    data += written;
    size -= written;
  }
}

// A gate is a named event that the test sets to release it.
void WaitOnGate(const std::string& gate) {
  const HANDLE event = ::OpenEventA(SYNCHRONIZE, FALSE, gate.c_str());
  if (event == nullptr) std::_Exit(4);
  ::WaitForSingleObject(event, INFINITE);
  ::CloseHandle(event);
}

// The grandchild is this program again, told to wait and then write; it gets
// our standard handles, which were inherited and so can be handed on. The
// program is named by the system: our argv[0] may be anything.
void LeaveGrandchild(const std::string& gate) {
  char self[MAX_PATH * 4];
  const DWORD selfSize = ::GetModuleFileNameA(nullptr, self, sizeof self);
  if (selfSize == 0 || selfSize >= sizeof self) std::_Exit(5);
  std::string commandLine = "\"" + std::string(self) + "\" \"wait:" + gate + "\" \"out:late\\n\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!::CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
    std::_Exit(5);
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

std::string CurrentFolder() {
  char buffer[MAX_PATH * 4];
  const DWORD n = ::GetCurrentDirectoryA(sizeof buffer, buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : "?";
}

std::string Priority() { return std::to_string(::GetPriorityClass(::GetCurrentProcess())); }

std::string InheritedHandles() { return "?"; }

// Reads at offset 0 without moving the file pointer; a handle value that is
// no file here (or nothing at all) reads nothing.
std::string ReadInherited(const std::string& handle) {
  const HANDLE file = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(handle.c_str(), nullptr, 10)));
  char buffer[32];
  OVERLAPPED at{};
  DWORD n = 0;
  if (::GetFileType(file) != FILE_TYPE_DISK || !::ReadFile(file, buffer, sizeof buffer, &n, &at)) return {};
  return std::string(buffer, n);
}

}  // namespace ratemill::test::child
