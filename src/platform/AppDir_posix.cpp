#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/AppDir.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill::platform {

std::string GetAppFileName() {
  // The link's length is not known in advance: grow until it fits.
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) RaiseLastOSError(errno);
    if (static_cast<std::size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(n));
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string GetAppDir() { return ExtractFilePath(GetAppFileName()); }

}  // namespace ratemill::platform
