#include <windows.h>

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "ChildControl.h"

namespace ratemill::test {
namespace {

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

std::atomic<unsigned> gGateCounter{0};

}  // namespace

// Event names cannot hold a path, so each gate gets a name of its own; the
// manual-reset event stays set, as a FIFO's byte stays readable.
TChildGate::TChildGate(const std::string&)
    : FPath("Local\\ratemill-test-gate-" + std::to_string(::GetCurrentProcessId()) + "-" +
            std::to_string(gGateCounter.fetch_add(1))) {
  const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, FPath.c_str());
  if (event == nullptr) throw std::runtime_error("cannot create the gate " + FPath);
  FHandle = reinterpret_cast<std::intptr_t>(event);
}

TChildGate::~TChildGate() { ::CloseHandle(AsHandle(FHandle)); }

void TChildGate::Release() const {
  if (!::SetEvent(AsHandle(FHandle))) throw std::runtime_error("cannot release the gate " + FPath);
}

TStrayFile::TStrayFile(const std::string& path, const std::string& content) {
  const std::wstring name = std::filesystem::path(std::u8string(path.begin(), path.end())).wstring();
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  FHandle = reinterpret_cast<std::intptr_t>(file);
  DWORD written = 0;
  if (!::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
      written != content.size())
    throw std::runtime_error("cannot write " + path);
}

TStrayFile::~TStrayFile() { ::CloseHandle(AsHandle(FHandle)); }

std::string TStrayFile::Handle() const { return std::to_string(FHandle); }

int OpenHandles() {
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return static_cast<int>(count);
}

// A process object lives while anyone holds a handle of it; an ended one
// whose handles are all closed is gone, and that is all "collected" means.
bool ProcessEnded(std::uint32_t pid) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return true;
  const bool ended = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  ::CloseHandle(process);
  return ended;
}

const bool kEndsBySignal = false;

std::string NothingInheritedList() { return "?"; }

std::string IdlePriority() { return std::to_string(IDLE_PRIORITY_CLASS); }

// Windows refuses to run a folder as denied access; Wine finds no valid image
// in it.
TStartFailureCodes StartFailureCodes() {
  return {{ERROR_FILE_NOT_FOUND}, {ERROR_DIRECTORY}, {ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}};
}

}  // namespace ratemill::test
