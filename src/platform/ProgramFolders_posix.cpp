#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/ProgramFolders.h"

namespace ratemill::platform {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

// `HOME` is what the user's session says; the password database answers for
// a program started without it (from some service managers).
std::string HomeFolder() {
  std::string home = Environment("HOME");
  if (!home.empty()) return home;
  const passwd* entry = ::getpwuid(::geteuid());
  if (entry != nullptr && entry->pw_dir != nullptr) home = entry->pw_dir;
  return home;
}

}  // namespace

bool IsFolderWritable(const std::string& folder) {
  std::string name = folder;
  if (name.empty() || name.back() != '/') name += '/';
  name += ".ratemill-probe-XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  ::unlink(buffer.data());
  return true;
}

TProgramFolders DecideProgramFolders(const std::string& appDir) {
  return DecideProgramFolders(appDir, Environment("XDG_CONFIG_HOME"), HomeFolder());
}

}  // namespace ratemill::platform
