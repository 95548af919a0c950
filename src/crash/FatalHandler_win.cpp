#include <windows.h>

#include <csignal>
#include <cstring>
#include <exception>
#include <string>

#include "crash/CrashReport.h"
#include "crash/FatalHandler.h"
#include "crash/SystemFacts.h"
#include "platform/ErrorHandling.h"
#include "platform/WinText.h"

namespace ratemill::crash {
namespace {

// Everything the handler reads is prepared at installation and never freed:
// a handler may run while any other thread is anywhere, so it must not
// depend on objects that could be going away, nor allocate.
struct TFatalState {
  const wchar_t* PendingFile = nullptr;
  const char* PendingFileUtf8 = nullptr;
  const char* Header = nullptr;  // version, system and toolkit lines
  const wchar_t* SettingsFile = nullptr;
  DWORD MainThread = 0;  // the installing thread, which is the main one
};

TFatalState* volatile gState = nullptr;
// The thread that is writing a report; others that crash meanwhile wait for
// it to end the program rather than truncate its file.
volatile LONG gReportingThread = 0;
// Set by the terminate handler before it ends the program.
char gTerminateNote[2048];

// What the C runtime's `abort` ends a program with on Windows.
constexpr UINT kAbortExitCode = 3;

const char* ExceptionName(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION: return "EXCEPTION_ACCESS_VIOLATION";
    case EXCEPTION_IN_PAGE_ERROR: return "EXCEPTION_IN_PAGE_ERROR";
    case EXCEPTION_STACK_OVERFLOW: return "EXCEPTION_STACK_OVERFLOW";
    case EXCEPTION_ILLEGAL_INSTRUCTION: return "EXCEPTION_ILLEGAL_INSTRUCTION";
    case EXCEPTION_PRIV_INSTRUCTION: return "EXCEPTION_PRIV_INSTRUCTION";
    case EXCEPTION_INT_DIVIDE_BY_ZERO: return "EXCEPTION_INT_DIVIDE_BY_ZERO";
    case EXCEPTION_INT_OVERFLOW: return "EXCEPTION_INT_OVERFLOW";
    case EXCEPTION_FLT_DIVIDE_BY_ZERO: return "EXCEPTION_FLT_DIVIDE_BY_ZERO";
    case EXCEPTION_FLT_INVALID_OPERATION: return "EXCEPTION_FLT_INVALID_OPERATION";
    case EXCEPTION_DATATYPE_MISALIGNMENT: return "EXCEPTION_DATATYPE_MISALIGNMENT";
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED: return "EXCEPTION_ARRAY_BOUNDS_EXCEEDED";
    case EXCEPTION_BREAKPOINT: return "EXCEPTION_BREAKPOINT";
    default: return "Ausnahme";
  }
}

void WriteAll(HANDLE file, const char* data, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0) return;
    data += written;
    size -= written;
  }
}

void WriteText(HANDLE file, const char* text) { WriteAll(file, text, std::strlen(text)); }

void WriteNumber(HANDLE file, unsigned long long value, unsigned base = 10, int minDigits = 1) {
  char text[32];
  WriteAll(file, text, FormatNumber(text, value, base, minDigits));
}

void WriteTime(HANDLE file) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  // 100-nanosecond steps since 1601.
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const long long seconds = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
  const TUtcFields t = SplitUtcTime(seconds);
  WriteNumber(file, static_cast<unsigned long long>(t.Year), 10, 4);
  WriteText(file, "-");
  WriteNumber(file, static_cast<unsigned long long>(t.Month), 10, 2);
  WriteText(file, "-");
  WriteNumber(file, static_cast<unsigned long long>(t.Day), 10, 2);
  WriteText(file, " ");
  WriteNumber(file, static_cast<unsigned long long>(t.Hour), 10, 2);
  WriteText(file, ":");
  WriteNumber(file, static_cast<unsigned long long>(t.Minute), 10, 2);
  WriteText(file, ":");
  WriteNumber(file, static_cast<unsigned long long>(t.Second), 10, 2);
  WriteText(file, " UTC");
}

// The settings file, every line indented as in every other report.
void WriteSettings(HANDLE file) {
  const HANDLE in = gState->SettingsFile ? ::CreateFileW(gState->SettingsFile, GENERIC_READ,
                                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                         : INVALID_HANDLE_VALUE;
  if (in == INVALID_HANDLE_VALUE) {
    WriteText(file, "Einstellungsdatei: (keine)\n");
    return;
  }
  WriteText(file, "Einstellungsdatei:\n");
  char buffer[4096];
  bool lineStart = true;
  for (;;) {
    DWORD n = 0;
    if (!::ReadFile(in, buffer, sizeof buffer, &n, nullptr) || n == 0) break;
    std::size_t from = 0;
    for (std::size_t i = 0; i < n; ++i) {
      if (lineStart) {
        WriteAll(file, buffer + from, i - from);
        WriteText(file, "  ");
        from = i;
        lineStart = false;
      }
      if (buffer[i] == '\n') lineStart = true;
    }
    WriteAll(file, buffer + from, n - from);
  }
  if (!lineStart) WriteText(file, "\n");
  ::CloseHandle(in);
}

// The frame's module and offset in the form the POSIX side writes
// ("module(+0xoffset) [0xaddress]"), so that one reader serves both. Asking
// for the module only reads the loader's list; names of functions would need
// the debug-help library, which is not safe to enter here.
void WriteFrame(HANDLE file, void* address) {
  WriteText(file, "  ");
  HMODULE module = nullptr;
  char name[MAX_PATH];
  name[0] = '\0';
  if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module) &&
      ::GetModuleFileNameA(module, name, sizeof name) > 0) {
    WriteText(file, name);
    WriteText(file, "(+0x");
    WriteNumber(file, reinterpret_cast<unsigned long long>(address) - reinterpret_cast<unsigned long long>(module), 16);
    WriteText(file, ")");
  }
  WriteText(file, " [0x");
  WriteNumber(file, reinterpret_cast<unsigned long long>(address), 16);
  WriteText(file, "]\n");
}

// `type` names the error; `record` is the exception when there is one.
void WriteReport(const char* type, const EXCEPTION_RECORD* record, DWORD thread) {
  const HANDLE file =
      ::CreateFileW(gState->PendingFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  WriteText(file, kReportMarker);
  WriteText(file, "\nZeit: ");
  WriteTime(file);
  WriteText(file, "\n");
  WriteText(file, gState->Header);
  WriteText(file, "Fehlertyp: ");
  WriteText(file, type);
  WriteText(file, "\nMeldung: ");
  if (record == nullptr) {
    WriteText(file, gTerminateNote[0] != '\0' ? gTerminateNote : "Das Programm wurde abgebrochen (abort)");
  } else {
    WriteText(file, "Das Programm ist abgestürzt (");
    WriteText(file, type);
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
      // The second parameter is the address that could not be read or written.
      WriteText(file, " an Adresse 0x");
      WriteNumber(file, static_cast<unsigned long long>(record->ExceptionInformation[1]), 16);
    } else {
      WriteText(file, " an Adresse 0x");
      WriteNumber(file, reinterpret_cast<unsigned long long>(record->ExceptionAddress), 16);
    }
    WriteText(file, ")");
  }
  WriteText(file, "\nHerkunft: ");
  if (record != nullptr) {
    WriteText(file, "Ausnahme 0x");
    WriteNumber(file, record->ExceptionCode, 16, 8);
  } else {
    WriteText(file, "std::terminate");
  }
  WriteText(file, thread == gState->MainThread ? "\nThread: Hauptthread " : "\nThread: Thread ");
  WriteNumber(file, thread);
  WriteText(file, "\nAktuelle Quelldatei: -\nStack:\n");
  void* frames[62];
  const USHORT count = ::RtlCaptureStackBackTrace(0, 62, frames, nullptr);
  // Some systems (Wine) walk on past the outermost frame; a null return
  // address marks the end of the stack, and what follows it is no frame.
  for (USHORT i = 0; i < count && frames[i] != nullptr; ++i) WriteFrame(file, frames[i]);
  WriteSettings(file);
  WriteText(file, "\n");
  ::FlushFileBuffers(file);
  ::CloseHandle(file);
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error != nullptr && error != INVALID_HANDLE_VALUE) {
    WriteText(error, "Ratemill: abgestürzt (");
    WriteText(error, type);
    WriteText(error, "), Bericht in ");
    WriteText(error, gState->PendingFileUtf8);
    WriteText(error, "\n");
  }
}

// True for the thread that may write the report; a crash inside the report
// itself ends at once, another thread's crash waits for the report in
// progress, which then ends the program.
bool ClaimReport(DWORD thread, UINT exitCode) {
  const LONG previous = ::InterlockedCompareExchange(&gReportingThread, static_cast<LONG>(thread), 0);
  if (previous == 0) return true;
  if (previous == static_cast<LONG>(thread)) ::TerminateProcess(::GetCurrentProcess(), exitCode);
  for (;;) ::Sleep(INFINITE);
}

LONG WINAPI UnhandledExceptionHandler(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  const DWORD thread = ::GetCurrentThreadId();
  ClaimReport(thread, record->ExceptionCode);
  if (gState) WriteReport(ExceptionName(record->ExceptionCode), record, thread);
  // The exit code is the exception's, as it would be without us.
  ::TerminateProcess(::GetCurrentProcess(), record->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

// `abort` (also from `std::terminate`) raises SIGABRT in the C runtime and
// ends the program without an exception the filter would see.
void AbortHandler(int) {
  const DWORD thread = ::GetCurrentThreadId();
  ClaimReport(thread, kAbortExitCode);
  if (gState) WriteReport(gTerminateNote[0] != '\0' ? "std::terminate" : "SIGABRT", nullptr, thread);
  ::TerminateProcess(::GetCurrentProcess(), kAbortExitCode);
}

[[noreturn]] void TerminateHandler() {
  std::string note = "std::terminate wurde aufgerufen";
  if (const std::exception_ptr error = std::current_exception()) {
    note += ": " + ExceptionTypeName(error) + ": " + platform::ErrorMessage(error);
  }
  const std::size_t size = note.size() < sizeof gTerminateNote - 1 ? note.size() : sizeof gTerminateNote - 1;
  std::memcpy(gTerminateNote, note.data(), size);
  gTerminateNote[size] = '\0';
  std::abort();
}

template <typename TChar>
TChar* Keep(const std::basic_string<TChar>& text) {
  auto* copy = new TChar[text.size() + 1];
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(TChar));
  return copy;
}

}  // namespace

void InstallFatalHandler(const TFatalReportSetup& setup) {
  std::string header;
  header += "Programmversion: " + (setup.Version.empty() ? std::string("-") : setup.Version) + "\n";
  header += "Betriebssystem: " + (setup.OperatingSystem.empty() ? std::string("-") : setup.OperatingSystem) + "\n";
  header += "Qt-Version: " + (setup.ToolkitVersion.empty() ? std::string("-") : setup.ToolkitVersion) + "\n";
  // The earlier state stays allocated: a handler on another thread may be
  // reading it.
  auto* state = new TFatalState;
  state->PendingFile = Keep(platform::Utf8ToWide(setup.PendingReportFile));
  state->PendingFileUtf8 = Keep(setup.PendingReportFile);
  state->Header = Keep(header);
  state->SettingsFile = setup.SettingsFile.empty() ? nullptr : Keep(platform::Utf8ToWide(setup.SettingsFile));
  state->MainThread = ::GetCurrentThreadId();
  ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&gState), state);

  // A stack overflow leaves too little stack to write the report; this keeps
  // some in reserve for the installing thread.
  ULONG reserve = 64 * 1024;
  ::SetThreadStackGuarantee(&reserve);
  // The system's own crash dialog would keep a dead program on screen.
  ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ::SetUnhandledExceptionFilter(UnhandledExceptionHandler);
  std::signal(SIGABRT, AbortHandler);
  std::set_terminate(TerminateHandler);
}

}  // namespace ratemill::crash
