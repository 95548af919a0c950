#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

extern char** environ;

namespace ratemill::test {

namespace {

void MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe2: ") + std::strerror(errno));
}

}  // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& argv,
                             const std::vector<std::pair<std::string, std::string>>& environment) {
  std::map<std::string, std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const auto equals = text.find('=');
    if (equals != std::string::npos) env[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : environment) env[name] = value;
  std::vector<std::string> envText;
  for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& text : envText) envp.push_back(text.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = argv;
  std::vector<char*> argp;
  for (auto& arg : args) argp.push_back(arg.data());
  argp.push_back(nullptr);

  int out[2];
  int err[2];
  MakePipe(out);
  MakePipe(err);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  const int rc = posix_spawn(&FPid, argp[0], &actions, nullptr, argp.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  FOut = out[0];
  FErr = err[0];
  if (rc != 0) {
    close(FOut);
    close(FErr);
    throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
  }
}

TChildProcess::~TChildProcess() {
  if (!FReaped && FPid > 0) {
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
  }
  if (FOut >= 0) close(FOut);
  if (FErr >= 0) close(FErr);
}

bool TChildProcess::ReadSome(int& fd, std::string& into) {
  char buffer[65536];
  ssize_t n;
  do {
    n = read(fd, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  if (n <= 0) {
    close(fd);
    fd = -1;
    return false;
  }
  into.append(buffer, static_cast<std::size_t>(n));
  return true;
}

std::string TChildProcess::ReadOutUntil(char marker) {
  while (FOut >= 0 && FResult.Out.find(marker) == std::string::npos) ReadSome(FOut, FResult.Out);
  return FResult.Out;
}

bool TChildProcess::Running() {
  if (FReaped) return false;
  const pid_t done = waitpid(FPid, &FStatus, WNOHANG);
  if (done == FPid) FReaped = true;
  return !FReaped;
}

void TChildProcess::Kill() {
  if (!FReaped) kill(FPid, SIGKILL);
}

TChildResult TChildProcess::Finish() {
  // Both pipes at once: a child that fills one while we wait on the other
  // would never end.
  while (FOut >= 0 || FErr >= 0) {
    pollfd fds[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
    }
    if (fds[0].revents != 0) ReadSome(FOut, FResult.Out);
    if (fds[1].revents != 0) ReadSome(FErr, FResult.Err);
  }
  if (!FReaped) {
    while (waitpid(FPid, &FStatus, 0) < 0 && errno == EINTR) {
    }
    FReaped = true;
  }
  FResult.ExitCode = WIFEXITED(FStatus) ? WEXITSTATUS(FStatus) : -1;
  return FResult;
}

TChildResult RunChild(const std::vector<std::string>& argv,
                      const std::vector<std::pair<std::string, std::string>>& environment) {
  return TChildProcess(argv, environment).Finish();
}

std::string FindOnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "";
  std::size_t start = 0;
  while (start <= folders.size()) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string folder = folders.substr(start, end - start);
    const std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + program;
    struct stat info;
    if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace ratemill::test
