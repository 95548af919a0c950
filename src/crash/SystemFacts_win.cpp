#include <windows.h>

#include <cxxabi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <typeinfo>

#include "crash/SystemFacts.h"
#include "platform/WinText.h"

namespace ratemill::crash {
namespace {

// The compiler's runtime is the same as on POSIX here (mingw-w64's
// libstdc++), so its names are made readable the same way.
std::string Demangle(const char* name) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> readable(abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(name);
}

// Static objects are made on the main thread before `main`, which is how a
// thread can tell that it is the main one.
const DWORD gMainThread = ::GetCurrentThreadId();

const char* MachineName() {
  SYSTEM_INFO info{};
  ::GetNativeSystemInfo(&info);
  switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64: return "x86_64";
    case PROCESSOR_ARCHITECTURE_ARM64: return "aarch64";
    case PROCESSOR_ARCHITECTURE_INTEL: return "x86";
    default: return "unknown";
  }
}

}  // namespace

std::string OperatingSystemDescription() {
  // `GetVersionExW` reports the version the program's manifest claims to
  // know, not the real one; the kernel's own call does not lie.
  using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  bool known = false;
  if (const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
    const auto getVersion =
        reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")));
    known = getVersion != nullptr && getVersion(&version) == 0;
  }
  if (!known) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    known = ::GetVersionExW(&version) != 0;
#pragma GCC diagnostic pop
  }
  if (!known) return std::string("Windows ") + MachineName();
  std::string text = "Windows " + std::to_string(version.dwMajorVersion) + "." +
                     std::to_string(version.dwMinorVersion) + " Build " + std::to_string(version.dwBuildNumber);
  const std::string servicePack = platform::WideToUtf8(version.szCSDVersion);
  if (!servicePack.empty()) text += " " + servicePack;
  return text + " " + MachineName();
}

std::string ExceptionTypeName(const std::exception_ptr& error) {
  if (!error) return {};
  try {
    std::rethrow_exception(error);
  } catch (...) {
    const std::type_info* type = abi::__cxa_current_exception_type();
    return type ? Demangle(type->name()) : std::string();
  }
}

std::string CaptureStackTrace() {
  void* frames[62];
  // Frame 0 is this function itself.
  const USHORT count = ::RtlCaptureStackBackTrace(1, 62, frames, nullptr);
  std::string trace;
  // As in the fatal handler: a null return address ends the stack.
  for (USHORT i = 0; i < count && frames[i] != nullptr; ++i) {
    // Module and offset in the form the fatal handler writes; a program
    // built with MinGW carries no names the system could look up.
    HMODULE module = nullptr;
    wchar_t name[MAX_PATH];
    std::string line;
    if (::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCWSTR>(frames[i]), &module) &&
        ::GetModuleFileNameW(module, name, MAX_PATH) > 0) {
      char offset[32];
      std::snprintf(offset, sizeof offset, "(+0x%llx)",
                    static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(frames[i]) -
                                                    reinterpret_cast<std::uintptr_t>(module)));
      line = platform::WideToUtf8(name) + offset;
    }
    char address[32];
    std::snprintf(address, sizeof address, " [0x%llx]",
                  static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(frames[i])));
    trace += line + address + '\n';
  }
  return trace;
}

std::string DemangleStackLine(const std::string& line) {
  // "file(mangled+0xoffset) [0xaddress]", as on POSIX; frames written here
  // carry no name, but a report may come from a build that does.
  const std::size_t open = line.find('(');
  if (open == std::string::npos) return line;
  const std::size_t plus = line.find('+', open);
  const std::size_t close = line.find(')', open);
  const std::size_t end = plus < close ? plus : close;
  if (end == std::string::npos || end == open + 1) return line;
  const std::string mangled = line.substr(open + 1, end - open - 1);
  if (mangled.rfind("_Z", 0) != 0) return line;
  return line.substr(0, open + 1) + Demangle(mangled.c_str()) + line.substr(end);
}

std::string CurrentThreadDescription() {
  // A thread's name is a Windows 10 call that older systems and Wine may
  // lack, so it is looked up rather than linked.
  const DWORD id = ::GetCurrentThreadId();
  std::string text = (id == gMainThread ? "Hauptthread " : "Thread ") + std::to_string(id);
  using TGetThreadDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  if (const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll")) {
    const auto getDescription = reinterpret_cast<TGetThreadDescription>(
        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetThreadDescription")));
    PWSTR name = nullptr;
    if (getDescription != nullptr && SUCCEEDED(getDescription(::GetCurrentThread(), &name)) && name != nullptr) {
      if (name[0] != L'\0') text += " (" + platform::WideToUtf8(name) + ")";
      ::LocalFree(name);
    }
  }
  return text;
}

long long SecondsSinceEpoch() { return static_cast<long long>(std::time(nullptr)); }

}  // namespace ratemill::crash
