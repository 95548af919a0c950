#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <string>

#include "ChildControl.h"

namespace ratemill::test {

TChildGate::TChildGate(const std::string& path) : FPath(path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed for " + path);
}

TChildGate::~TChildGate() = default;

void TChildGate::Release() const {
  const int fd = ::open(FPath.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open the gate " + FPath);
  const bool written = ::write(fd, "x", 1) == 1;
  ::close(fd);
  if (!written) throw std::runtime_error("cannot write to the gate " + FPath);
}

TStrayFile::TStrayFile(const std::string& path, const std::string& content) {
  const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0 || ::write(out, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
    throw std::runtime_error("cannot write " + path);
  ::close(out);
  // Deliberately without O_CLOEXEC.
  FHandle = ::open(path.c_str(), O_RDONLY);
  if (FHandle < 0) throw std::runtime_error("cannot open " + path);
}

TStrayFile::~TStrayFile() { ::close(static_cast<int>(FHandle)); }

std::string TStrayFile::Handle() const { return std::to_string(FHandle); }

int OpenHandles() {
  int count = 0;
  DIR* dir = ::opendir("/proc/self/fd");
  while (dirent* e = ::readdir(dir)) count += e->d_name[0] != '.';
  ::closedir(dir);
  return count - 1;  // the listing's own
}

bool ProcessEnded(std::uint32_t pid) { return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH; }

const bool kEndsBySignal = true;

std::string NothingInheritedList() { return ""; }

std::string IdlePriority() { return "19"; }

TStartFailureCodes StartFailureCodes() { return {{ENOENT}, {ENOENT}, {EACCES}}; }

}  // namespace ratemill::test
