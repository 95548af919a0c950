#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <string>

#include "crash/CrashReport.h"
#include "crash/FatalHandler.h"
#include "crash/SystemFacts.h"
#include "platform/ErrorHandling.h"

namespace ratemill::crash {
namespace {

// Everything the handler reads is prepared at installation and never freed:
// a handler may run while any other thread is anywhere, so it must not
// depend on objects that could be going away.
struct TFatalState {
  const char* PendingFile = nullptr;
  const char* Header = nullptr;  // version, system and toolkit lines
  const char* SettingsFile = nullptr;
};

TFatalState* gState = nullptr;
// The thread that is writing a report; others that crash meanwhile wait for
// it to end the program rather than truncate its file.
long gReportingThread = 0;
// Set by the terminate handler before it aborts, read by the SIGABRT report.
char gTerminateNote[2048];

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};

const char* SignalName(int signal) {
  switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGABRT: return "SIGABRT";
    default: return "Signal";
  }
}

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void WriteText(int fd, const char* text) { WriteAll(fd, text, std::strlen(text)); }

void WriteNumber(int fd, unsigned long long value, unsigned base = 10, int minDigits = 1) {
  char text[32];
  WriteAll(fd, text, FormatNumber(text, value, base, minDigits));
}

void WriteTime(int fd) {
  struct timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const TUtcFields t = SplitUtcTime(now.tv_sec);
  WriteNumber(fd, static_cast<unsigned long long>(t.Year), 10, 4);
  WriteText(fd, "-");
  WriteNumber(fd, static_cast<unsigned long long>(t.Month), 10, 2);
  WriteText(fd, "-");
  WriteNumber(fd, static_cast<unsigned long long>(t.Day), 10, 2);
  WriteText(fd, " ");
  WriteNumber(fd, static_cast<unsigned long long>(t.Hour), 10, 2);
  WriteText(fd, ":");
  WriteNumber(fd, static_cast<unsigned long long>(t.Minute), 10, 2);
  WriteText(fd, ":");
  WriteNumber(fd, static_cast<unsigned long long>(t.Second), 10, 2);
  WriteText(fd, " UTC");
}

// The settings file, every line indented as in every other report.
void WriteSettings(int fd) {
  const int in = gState->SettingsFile ? ::open(gState->SettingsFile, O_RDONLY | O_CLOEXEC) : -1;
  if (in < 0) {
    WriteText(fd, "Einstellungsdatei: (keine)\n");
    return;
  }
  WriteText(fd, "Einstellungsdatei:\n");
  char buffer[4096];
  bool lineStart = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    std::size_t from = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
      if (lineStart) {
        WriteAll(fd, buffer + from, i - from);
        WriteText(fd, "  ");
        from = i;
        lineStart = false;
      }
      if (buffer[i] == '\n') lineStart = true;
    }
    WriteAll(fd, buffer + from, static_cast<std::size_t>(n) - from);
  }
  if (!lineStart) WriteText(fd, "\n");
  ::close(in);
}

void WriteReport(int signal, const siginfo_t* info, long thread) {
  const int fd = ::open(gState->PendingFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return;
  WriteText(fd, kReportMarker);
  WriteText(fd, "\nZeit: ");
  WriteTime(fd);
  WriteText(fd, "\n");
  WriteText(fd, gState->Header);
  const bool terminated = signal == SIGABRT && gTerminateNote[0] != '\0';
  WriteText(fd, "Fehlertyp: ");
  WriteText(fd, terminated ? "std::terminate" : SignalName(signal));
  WriteText(fd, "\nMeldung: ");
  if (terminated) {
    WriteText(fd, gTerminateNote);
  } else {
    WriteText(fd, "Das Programm ist abgestürzt (");
    WriteText(fd, SignalName(signal));
    if (info && info->si_code <= 0) {
      // Sent by a process (`kill`, `raise`, `abort`), not raised by a fault:
      // the address fields then hold the sender instead.
      WriteText(fd, ", gesendet von Prozess ");
      WriteNumber(fd, static_cast<unsigned long long>(info->si_pid));
    } else if (info) {
      WriteText(fd, " an Adresse 0x");
      WriteNumber(fd, reinterpret_cast<unsigned long long>(info->si_addr), 16);
    }
    WriteText(fd, ")");
  }
  WriteText(fd, "\nHerkunft: Signal ");
  WriteNumber(fd, static_cast<unsigned long long>(signal));
  WriteText(fd, "\nThread: ");
  WriteText(fd, thread == ::getpid() ? "Hauptthread " : "Thread ");
  WriteNumber(fd, static_cast<unsigned long long>(thread));
  WriteText(fd, "\nAktuelle Quelldatei: -\nStack:\n");
  void* frames[64];
  const int count = ::backtrace(frames, 64);
  // One frame at a time, so that each line gets the report's indentation.
  for (int i = 0; i < count; ++i) {
    WriteText(fd, "  ");
    ::backtrace_symbols_fd(frames + i, 1, fd);
  }
  WriteSettings(fd);
  WriteText(fd, "\n");
  ::fsync(fd);
  ::close(fd);
  WriteText(STDERR_FILENO, "Ratemill: abgestürzt (");
  WriteText(STDERR_FILENO, terminated ? "std::terminate" : SignalName(signal));
  WriteText(STDERR_FILENO, "), Bericht in ");
  WriteText(STDERR_FILENO, gState->PendingFile);
  WriteText(STDERR_FILENO, "\n");
}

[[noreturn]] void EndBySignal(int signal) {
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  ::sigaction(signal, &action, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signal);
  ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
  ::raise(signal);
  // Only a signal that the default action ignores could get here; none of
  // ours does, but the program must end whatever happens.
  ::_exit(128 + signal);
}

void FatalSignalHandler(int signal, siginfo_t* info, void*) {
  const int savedErrno = errno;
  const long thread = ::syscall(SYS_gettid);
  long expected = 0;
  if (!__atomic_compare_exchange_n(&gReportingThread, &expected, thread, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
    // A crash inside the report itself ends at once; another thread's crash
    // waits for the report in progress, which then ends the program.
    if (expected == thread) EndBySignal(signal);
    for (;;) ::pause();
  }
  if (gState) WriteReport(signal, info, thread);
  errno = savedErrno;
  EndBySignal(signal);
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

char* Keep(const std::string& text) {
  char* copy = new char[text.size() + 1];
  std::memcpy(copy, text.c_str(), text.size() + 1);
  return copy;
}

}  // namespace

void InstallFatalHandler(const TFatalReportSetup& setup) {
  // The first call of `backtrace` loads the unwinder, which allocates; done
  // here it need not happen inside a handler.
  void* warmUp[4];
  ::backtrace(warmUp, 4);

  std::string header;
  header += "Programmversion: " + (setup.Version.empty() ? std::string("-") : setup.Version) + "\n";
  header += "Betriebssystem: " + (setup.OperatingSystem.empty() ? std::string("-") : setup.OperatingSystem) + "\n";
  header += "Qt-Version: " + (setup.ToolkitVersion.empty() ? std::string("-") : setup.ToolkitVersion) + "\n";
  // The earlier state stays allocated: a handler on another thread may be
  // reading it.
  auto* state = new TFatalState;
  state->PendingFile = Keep(setup.PendingReportFile);
  state->Header = Keep(header);
  state->SettingsFile = setup.SettingsFile.empty() ? nullptr : Keep(setup.SettingsFile);
  __atomic_store_n(&gState, state, __ATOMIC_SEQ_CST);

  // A stack overflow leaves no stack to run the handler on; it gets its own.
  static char alternateStack[64 * 1024];
  stack_t stack{};
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  ::sigaltstack(&stack, nullptr);

  struct sigaction action {};
  action.sa_sigaction = FatalSignalHandler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  for (const int signal : kFatalSignals) ::sigaction(signal, &action, nullptr);
  std::set_terminate(TerminateHandler);
}

}  // namespace ratemill::crash
