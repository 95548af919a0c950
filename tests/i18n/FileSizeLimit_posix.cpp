#include "FileSizeLimit.h"

#include <signal.h>
#include <sys/resource.h>

namespace ratemill::test {

TFileSizeLimit::TFileSizeLimit(std::size_t bytes) {
  rlimit old{};
  if (::getrlimit(RLIMIT_FSIZE, &old) != 0) return;
  FOldSoft = old.rlim_cur;
  FOldHard = old.rlim_max;
  // Past the limit the kernel sends SIGXFSZ, which would end the process;
  // ignored, the write fails with EFBIG instead.
  FOldHandler = ::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = old;
  limit.rlim_cur = bytes;
  FActive = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

TFileSizeLimit::~TFileSizeLimit() {
  rlimit old{};
  old.rlim_cur = FOldSoft;
  old.rlim_max = FOldHard;
  if (FActive) ::setrlimit(RLIMIT_FSIZE, &old);
  ::signal(SIGXFSZ, FOldHandler);
}

}  // namespace ratemill::test
