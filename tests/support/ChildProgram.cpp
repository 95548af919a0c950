// A child program for the process runner's tests, scripted by its arguments,
// which it carries out in order:
//   out:TEXT  err:TEXT      write TEXT to stdout / stderr in one write; escapes
//                           \r \n \b \t \0 \a \\ and \xHH
//   sleep:MS                pause
//   wait:FIFO               block until one byte can be read from FIFO
//   flood:out:N flood:err:N write N bytes of 80-byte lines as fast as possible
//   count:out:N             write N eight-byte tokens "%07X." (0, 1, 2, ...)
//   grandchild:FIFO         leave a grandchild holding our stdout and stderr;
//                           it waits on FIFO, writes "late\n" and exits
//   exit:N                  exit at once with code N
//   env:NAME                print "NAME=value" or "NAME unset"
//   cwd  args  fds  nice    print the folder, each argv entry as [arg], the
//                           open descriptors above 2, the nice value
// Arguments it does not know are ignored, so argv[0] may be anything.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      std::_Exit(3);
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

void WriteText(int fd, const std::string& s) { WriteAll(fd, s.data(), s.size()); }

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    switch (c) {
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      case 'b': out += '\b'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'a': out += '\a'; break;
      case 'x':
        out += static_cast<char>(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
        i += 2;
        break;
      default: out += c;
    }
  }
  return out;
}

void WaitOnFifo(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::_Exit(4);
  char c;
  while (::read(fd, &c, 1) < 0 && errno == EINTR) {
  }
  ::close(fd);
}

bool Starts(const std::string& s, const char* prefix, std::string& rest) {
  const std::size_t n = std::strlen(prefix);
  if (s.compare(0, n, prefix) != 0) return false;
  rest = s.substr(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    std::string v;
    if (Starts(a, "out:", v)) {
      WriteText(1, Unescape(v));
    } else if (Starts(a, "err:", v)) {
      WriteText(2, Unescape(v));
    } else if (Starts(a, "sleep:", v)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(v.c_str())));
    } else if (Starts(a, "wait:", v)) {
      WaitOnFifo(v);
    } else if (Starts(a, "flood:", v)) {
      const int fd = v.compare(0, 4, "err:") == 0 ? 2 : 1;
      unsigned long long left = std::strtoull(v.c_str() + 4, nullptr, 10);
      std::vector<char> chunk(1 << 16, 'x');
      for (std::size_t at = 79; at < chunk.size(); at += 80) chunk[at] = '\n';
      while (left > 0) {
        const std::size_t n = left < chunk.size() ? static_cast<std::size_t>(left) : chunk.size();
        WriteAll(fd, chunk.data(), n);
        left -= n;
      }
    } else if (Starts(a, "count:out:", v)) {
      const unsigned long long tokens = std::strtoull(v.c_str(), nullptr, 10);
      std::string chunk;
      char token[32];
      for (unsigned long long t = 0; t < tokens; ++t) {
        std::snprintf(token, sizeof token, "%07llX.", t);
        chunk.append(token, 8);
        if (chunk.size() >= (1 << 16)) {
          WriteText(1, chunk);
          chunk.clear();
        }
      }
      WriteText(1, chunk);
    } else if (Starts(a, "grandchild:", v)) {
      const pid_t pid = ::fork();
      if (pid < 0) return 5;
      if (pid == 0) {
        WaitOnFifo(v);
        WriteText(1, "late\n");
        std::_Exit(0);
      }
    } else if (Starts(a, "exit:", v)) {
      std::_Exit(std::atoi(v.c_str()));
    } else if (Starts(a, "env:", v)) {
      const char* value = std::getenv(v.c_str());
      WriteText(1, value ? v + "=" + value + "\n" : v + " unset\n");
    } else if (a == "cwd") {
      char buffer[4096];
      WriteText(1, std::string(::getcwd(buffer, sizeof buffer) ? buffer : "?") + "\n");
    } else if (a == "args") {
      for (int j = 0; j < argc; ++j) WriteText(1, std::string("[") + argv[j] + "]\n");
    } else if (a == "fds") {
      DIR* dir = ::opendir("/proc/self/fd");
      const int own = dir ? ::dirfd(dir) : -1;
      std::string list;
      while (dirent* e = dir ? ::readdir(dir) : nullptr) {
        if (e->d_name[0] == '.') continue;
        const int fd = std::atoi(e->d_name);
        if (fd > 2 && fd != own) list += std::to_string(fd) + " ";
      }
      if (dir) ::closedir(dir);
      WriteText(1, "fds:" + list + "\n");
    } else if (a == "nice") {
      errno = 0;
      WriteText(1, "nice:" + std::to_string(::getpriority(PRIO_PROCESS, 0)) + "\n");
    }
  }
  return 0;
}
