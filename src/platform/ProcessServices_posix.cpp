#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/ProcessServices.h"
#include "platform/ProcessServicesSystem.h"
#include "platform/SearchPath.h"

extern char** environ;

namespace ratemill::platform {

namespace {

// The Windows C runtime reads the program name, the first argument, by a
// rule of its own: quotes only group, backslashes are literal, and a command
// line that begins with a blank gives an empty program name. The arguments
// behind it follow the general rules.
std::vector<std::string> SplitChildCommandLine(const std::string& commandLine) {
  std::vector<std::string> args;
  std::string program;
  bool quoted = false;
  std::size_t i = 0;
  for (; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == ' ' || c == '\t')) break;
    program.push_back(c);
  }
  args.push_back(std::move(program));
  for (std::string& a : SplitCommandLine(commandLine.substr(i))) args.push_back(std::move(a));
  return args;
}

std::string CurrentFolder() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) throw ESystemError(errno);
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

// The file to execute: an explicit program relative to our folder, a
// program named by the command line looked up on PATH when it has no folder.
std::string ResolveProgram(const std::string& program, bool fromCommandLine) {
  if (program.empty()) throw ESystemError(ENOENT);
  if (program.find('/') != std::string::npos || !fromCommandLine) {
    if (program.front() == '/') return program;
    return CurrentFolder() + "/" + program;
  }
  const char* path = std::getenv("PATH");
  std::string found =
      FindOnSearchPath(path ? path : "/usr/local/bin:/usr/bin:/bin", program, EmptyPathEntry::kCurrentFolder);
  if (found.empty()) throw ESystemError(ENOENT);
  return found;
}

int NiceOf(std::uint32_t creationFlags) {
  if (creationFlags & creation::kRealtimePriorityClass) return -20;
  if (creationFlags & creation::kHighPriorityClass) return -5;
  if (creationFlags & creation::kIdlePriorityClass) return 19;
  return 0;
}

// Between fork and exec only async-signal-safe calls: everything is prepared
// before. Reports the failing step's errno through `errorPipe` and exits.
[[noreturn]] void ExecChild(const char* file, char* const* argv, char* const* envp, const char* folder,
                            const int* stdHandles, int nice, std::uint32_t flags, int maxFd, int errorPipe) {
  int error = 0;
  // Every signal arrives blocked (see `SpawnProcess`): the handlers are reset
  // first, so none of ours can run in the child, then the mask is cleared.
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) sigaction(sig, &dfl, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  if (stdHandles) {
    // Out of the way of 0..2 first, so no end is overwritten before it is used.
    int moved[3];
    for (int i = 0; i < 3; ++i) {
      moved[i] = fcntl(stdHandles[i], F_DUPFD_CLOEXEC, 3);
      if (moved[i] < 0) goto fail;
    }
    for (int i = 0; i < 3; ++i) {
      if (dup2(moved[i], i) < 0) goto fail;
    }
  }
  // Whatever else we hold, also from other threads' work, stays behind.
  MarkCloseOnExecAbove2(maxFd, errorPipe);
  if (flags & creation::kNewProcessGroup) setpgid(0, 0);
  if (flags & (creation::kNewConsole | creation::kDetachedProcess)) setsid();
  setpriority(PRIO_PROCESS, 0, nice);  // a refused raise is no error
  if (folder && chdir(folder) != 0) goto fail;
  execve(file, argv, envp);
fail:
  error = errno;
  while (write(errorPipe, &error, sizeof error) < 0 && errno == EINTR) {
  }
  _exit(127);
}

// Everything the child needs, prepared before it starts.
struct TExecArguments {
  const char* File;
  char* const* Argv;
  char* const* Envp;
  const char* Folder;
  const int* StdHandles;
  int Nice;
  std::uint32_t Flags;
  int MaxFd;
  int ErrorPipe;
};

// Starts the child with vfork: it borrows our memory until it has exec'd, so
// starting a converter costs no copy of a large GUI process's page tables and
// no copy-on-write faults afterwards. Signals stay blocked meanwhile so that
// no handler of ours runs in the child on the shared memory. Kept apart from
// its caller so that no local of the caller lives across the vfork. Returns
// the pid, or the negated errno.
[[gnu::noinline]] pid_t StartChild(const TExecArguments& exec) {
  sigset_t all, previous;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, &previous);
  pid_t pid = ::vfork();
  if (pid == 0) {
    ExecChild(exec.File, exec.Argv, exec.Envp, exec.Folder, exec.StdHandles, exec.Nice, exec.Flags, exec.MaxFd,
              exec.ErrorPipe);
  }
  if (pid < 0) pid = -errno;
  ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return pid;
}

}  // namespace

TPipeEnds CreatePipe() {
  int fds[2];
  if (OpenCloseOnExecPipe(fds) != 0) throw ESystemError(errno);
  TPipeEnds ends;
  ends.Read.Reset(fds[0]);
  ends.Write.Reset(fds[1]);
  return ends;
}

TOsHandle DuplicateHandle(const TOsHandle& handle) {
  const int fd = ::fcntl(static_cast<int>(handle.Get()), F_DUPFD_CLOEXEC, 3);
  if (fd < 0) throw ESystemError(errno);
  return TOsHandle(fd);
}

TSpawnedChild SpawnProcess(const TSpawnRequest& request) {
  std::vector<std::string> args = SplitChildCommandLine(request.CommandLine);
  const bool fromCommandLine = request.Program.empty();
  const std::string file = ResolveProgram(fromCommandLine ? args.front() : request.Program, fromCommandLine);

  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::string environmentBlock = request.EnvironmentBlock;
  std::vector<char*> envp;
  char* const* environment = environ;
  if (!environmentBlock.empty()) {
    for (std::size_t at = 0; at < environmentBlock.size() && environmentBlock[at] != '\0';) {
      envp.push_back(environmentBlock.data() + at);
      at += std::strlen(environmentBlock.data() + at) + 1;
    }
    envp.push_back(nullptr);
    environment = envp.data();
  }

  int stdHandles[3];
  const bool useStdHandles = (request.Startup.Flags & startf::kUseStdHandles) != 0;
  if (useStdHandles) {
    stdHandles[0] = static_cast<int>(request.StdInput->Get());
    stdHandles[1] = static_cast<int>(request.StdOutput->Get());
    stdHandles[2] = static_cast<int>(request.StdError->Get());
  }

  rlimit limit{};
  int maxFd = 65536;
  if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < 1048576)
    maxFd = static_cast<int>(limit.rlim_cur);

  TPipeEnds errorPipe = CreatePipe();
  const TExecArguments exec{file.c_str(),
                            argv.data(),
                            environment,
                            request.Folder.empty() ? nullptr : request.Folder.c_str(),
                            useStdHandles ? stdHandles : nullptr,
                            NiceOf(request.CreationFlags),
                            request.CreationFlags,
                            maxFd,
                            static_cast<int>(errorPipe.Write.Get())};
  const pid_t pid = StartChild(exec);
  if (pid < 0) throw ESystemError(-pid);
  errorPipe.Write.Reset();

  // The error pipe closes on a successful exec; an errno means no program runs.
  int error = 0;
  ssize_t got;
  do {
    got = ::read(static_cast<int>(errorPipe.Read.Get()), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof error)) {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    throw ESystemError(error);
  }

  const int pidfd = OpenChildEndDescriptor(pid);
  if (pidfd < 0) {
    const int openError = errno;
    ::kill(pid, SIGKILL);
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    throw ESystemError(openError);
  }

  TSpawnedChild child;
  child.Process = std::make_shared<TChildProcess>(pid, TOsHandle(pidfd));
  child.ProcessId = static_cast<std::uint32_t>(pid);
  child.ThreadId = static_cast<std::uint32_t>(pid);
  return child;
}

void PrepareReadEnd(const TOsHandle& pipe) {
  const int fd = static_cast<int>(pipe.Get());
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

TReadResult ReadOrStop(const TOsHandle& pipe, const TStopEvent& stop, char* buffer, std::size_t size) {
  const int fd = static_cast<int>(pipe.Get());
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n > 0) return {TReadOutcome::roData, static_cast<std::size_t>(n)};
    if (n == 0) return {TReadOutcome::roEndOfStream, 0};
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      // Reading again after any other failure would fail again at once:
      // the stream ends here.
      return {TReadOutcome::roEndOfStream, 0};
    }
    pollfd fds[2] = {{static_cast<int>(stop.Handle().Get()), POLLIN, 0}, {fd, POLLIN, 0}};
    int ready;
    do {
      ready = ::poll(fds, 2, -1);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return {TReadOutcome::roEndOfStream, 0};
    if (fds[0].revents) return {TReadOutcome::roStopped, 0};
  }
}

}  // namespace ratemill::platform
