#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "platform/Errors.h"
#include "platform/ProcessServices.h"
#include "platform/WinText.h"

namespace ratemill::platform {

namespace {

HANDLE AsHandle(const TOsHandle& handle) { return reinterpret_cast<HANDLE>(handle.Get()); }
TOsHandle::TValue AsValue(HANDLE handle) { return reinterpret_cast<TOsHandle::TValue>(handle); }

[[noreturn]] void RaiseLast() { throw ESystemError(static_cast<int>(::GetLastError())); }

constexpr DWORD kPipeBuffer = 64 * 1024;
std::atomic<unsigned> gPipeCounter{0};

constexpr std::uint32_t kPriorityClasses = creation::kIdlePriorityClass | creation::kNormalPriorityClass |
                                           creation::kHighPriorityClass | creation::kRealtimePriorityClass;

// The attribute list that limits what a child inherits to its three standard
// handles, so that pipe ends of a run started at the same time on another
// thread never leak into this child (and keep that run's pipes open).
class TInheritList {
 public:
  explicit TInheritList(std::vector<HANDLE> handles) : FHandles(std::move(handles)) {
    SIZE_T size = 0;
    ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    FBuffer.resize(size);
    FList = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(FBuffer.data());
    if (!::InitializeProcThreadAttributeList(FList, 1, 0, &size)) RaiseLast();
    FInitialized = true;
    if (!::UpdateProcThreadAttribute(FList, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, FHandles.data(),
                                     FHandles.size() * sizeof(HANDLE), nullptr, nullptr))
      RaiseLast();
  }
  ~TInheritList() {
    if (FInitialized) ::DeleteProcThreadAttributeList(FList);
  }
  TInheritList(const TInheritList&) = delete;
  TInheritList& operator=(const TInheritList&) = delete;
  LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return FList; }

 private:
  std::vector<HANDLE> FHandles;
  std::vector<char> FBuffer;
  LPPROC_THREAD_ATTRIBUTE_LIST FList = nullptr;
  bool FInitialized = false;
};

// An inheritable duplicate of `handle` for one child start.
TOsHandle InheritableCopy(const TOsHandle& handle) {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), AsHandle(handle), ::GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
    RaiseLast();
  return TOsHandle(AsValue(copy));
}

std::wstring WideEnvironmentBlock(const std::string& block) {
  // "name=value" entries, each ending with NUL, and one more NUL at the end.
  std::wstring wide;
  for (std::size_t at = 0; at < block.size() && block[at] != '\0';) {
    const std::size_t end = block.find('\0', at);
    wide += Utf8ToWide(block.substr(at, end == std::string::npos ? std::string::npos : end - at));
    wide.push_back(L'\0');
    if (end == std::string::npos) break;
    at = end + 1;
  }
  wide.push_back(L'\0');
  return wide;
}

// One event per reading thread, made once and reused for every read.
HANDLE ReadEvent() {
  thread_local struct TEvent {
    HANDLE Handle = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~TEvent() {
      if (Handle != nullptr) ::CloseHandle(Handle);
    }
  } event;
  return event.Handle;
}

}  // namespace

// A named pipe rather than an anonymous one: only its read end can be read
// with overlapped I/O, which lets a reader wait for data and the stop event
// at once. The write end is an ordinary synchronous handle, as a child
// expects its standard output to be.
TPipeEnds CreatePipe() {
  const std::wstring name = L"\\\\.\\pipe\\ratemill-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                            std::to_wstring(gPipeCounter.fetch_add(1));
  HANDLE read =
      ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kPipeBuffer,
                         kPipeBuffer, 0, nullptr);
  if (read == INVALID_HANDLE_VALUE) RaiseLast();
  TPipeEnds ends;
  ends.Read.Reset(AsValue(read));
  HANDLE write = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (write == INVALID_HANDLE_VALUE) RaiseLast();
  ends.Write.Reset(AsValue(write));
  return ends;
}

TOsHandle DuplicateHandle(const TOsHandle& handle) {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), AsHandle(handle), ::GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
    RaiseLast();
  return TOsHandle(AsValue(copy));
}

TSpawnedChild SpawnProcess(const TSpawnRequest& request) {
  const std::wstring program = Utf8ToWide(request.Program);
  std::wstring commandLine = Utf8ToWide(request.CommandLine);
  const std::wstring folder = Utf8ToWide(request.Folder);
  const std::wstring desktop = Utf8ToWide(request.Startup.Desktop);
  const std::wstring title = Utf8ToWide(request.Startup.Title);
  std::wstring environment;
  DWORD flags = request.CreationFlags;
  if (!request.EnvironmentBlock.empty()) {
    environment = WideEnvironmentBlock(request.EnvironmentBlock);
    flags |= CREATE_UNICODE_ENVIRONMENT;
  }

  STARTUPINFOEXW info{};
  info.StartupInfo.cb = sizeof info.StartupInfo;
  info.StartupInfo.lpDesktop = desktop.empty() ? nullptr : const_cast<wchar_t*>(desktop.c_str());
  info.StartupInfo.lpTitle = title.empty() ? nullptr : const_cast<wchar_t*>(title.c_str());
  info.StartupInfo.dwX = request.Startup.X;
  info.StartupInfo.dwY = request.Startup.Y;
  info.StartupInfo.dwXSize = request.Startup.XSize;
  info.StartupInfo.dwYSize = request.Startup.YSize;
  info.StartupInfo.dwFlags = request.Startup.Flags;
  info.StartupInfo.wShowWindow = request.Startup.ShowWindow;

  // Standard handles are handed over as inheritable copies that live only
  // for the start, and nothing else is inherited.
  const bool useStdHandles = (request.Startup.Flags & startf::kUseStdHandles) != 0;
  TOsHandle input, output, error;
  std::unique_ptr<TInheritList> inherit;
  if (useStdHandles) {
    input = InheritableCopy(*request.StdInput);
    output = InheritableCopy(*request.StdOutput);
    error = InheritableCopy(*request.StdError);
    info.StartupInfo.hStdInput = AsHandle(input);
    info.StartupInfo.hStdOutput = AsHandle(output);
    info.StartupInfo.hStdError = AsHandle(error);
    std::vector<HANDLE> handles{AsHandle(input), AsHandle(output)};
    if (AsHandle(error) != AsHandle(output)) handles.push_back(AsHandle(error));
    inherit = std::make_unique<TInheritList>(std::move(handles));
    info.lpAttributeList = inherit->Get();
    flags |= EXTENDED_STARTUPINFO_PRESENT;
  }

  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(program.empty() ? nullptr : program.c_str(), commandLine.empty() ? nullptr : commandLine.data(),
                        nullptr, nullptr, useStdHandles ? TRUE : FALSE, flags,
                        environment.empty() ? nullptr : environment.data(), folder.empty() ? nullptr : folder.c_str(),
                        &info.StartupInfo, &process))
    RaiseLast();

  // Some systems (Wine among them) ignore the priority class given at
  // creation; set afterwards it holds everywhere.
  const std::uint32_t priority = request.CreationFlags & kPriorityClasses;
  if (priority != 0) ::SetPriorityClass(process.hProcess, priority);

  TSpawnedChild child;
  child.Process = std::make_shared<TChildProcess>(process.dwProcessId, TOsHandle(AsValue(process.hProcess)));
  child.Thread.Reset(AsValue(process.hThread));
  child.ProcessId = process.dwProcessId;
  child.ThreadId = process.dwThreadId;
  return child;
}

void PrepareReadEnd(const TOsHandle&) {}

TReadResult ReadOrStop(const TOsHandle& pipe, const TStopEvent& stop, char* buffer, std::size_t size) {
  const HANDLE event = ReadEvent();
  if (event == nullptr) return {TReadOutcome::roEndOfStream, 0};
  if (stop.IsSet()) return {TReadOutcome::roStopped, 0};
  OVERLAPPED overlapped{};
  overlapped.hEvent = event;
  ::ResetEvent(event);
  DWORD got = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
  if (!::ReadFile(AsHandle(pipe), buffer, wanted, nullptr, &overlapped)) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_IO_PENDING) return {TReadOutcome::roEndOfStream, 0};  // ended or broken: no more data
    const HANDLE handles[2] = {AsHandle(stop.Handle()), event};
    const DWORD result = ::WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result != WAIT_OBJECT_0 + 1) {
      // Stopped (or the wait failed): the read must be over before its
      // buffer and record go out of scope.
      ::CancelIoEx(AsHandle(pipe), &overlapped);
      const bool completed = ::GetOverlappedResult(AsHandle(pipe), &overlapped, &got, TRUE) && got > 0;
      if (completed) return {TReadOutcome::roData, got};
      return {result == WAIT_OBJECT_0 ? TReadOutcome::roStopped : TReadOutcome::roEndOfStream, 0};
    }
  }
  if (!::GetOverlappedResult(AsHandle(pipe), &overlapped, &got, FALSE)) return {TReadOutcome::roEndOfStream, 0};
  if (got == 0) return {TReadOutcome::roEndOfStream, 0};
  return {TReadOutcome::roData, got};
}

}  // namespace ratemill::platform
