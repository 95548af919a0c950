#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <system_error>
#include <thread>

#include "platform/Errors.h"
#include "platform/ProgramStart.h"

extern char** environ;

namespace ratemill::platform {
namespace {

class TPosixProgramStarter : public IProgramStarter {
 public:
  void StartDetached(const std::string& executable, const std::string& folder) override;
};

// posix_spawn's C objects, destroyed on every way out.
class TSpawnSetup {
 public:
  TSpawnSetup() {
    if (const int error = ::posix_spawn_file_actions_init(&FActions)) throw ESystemError(error);
    if (const int error = ::posix_spawnattr_init(&FAttributes)) {
      ::posix_spawn_file_actions_destroy(&FActions);
      throw ESystemError(error);
    }
  }
  ~TSpawnSetup() {
    ::posix_spawn_file_actions_destroy(&FActions);
    ::posix_spawnattr_destroy(&FAttributes);
  }
  TSpawnSetup(const TSpawnSetup&) = delete;
  TSpawnSetup& operator=(const TSpawnSetup&) = delete;

  posix_spawn_file_actions_t* Actions() { return &FActions; }
  posix_spawnattr_t* Attributes() { return &FAttributes; }

 private:
  posix_spawn_file_actions_t FActions{};
  posix_spawnattr_t FAttributes{};
};

void Check(int error) {
  if (error != 0) throw ESystemError(error);
}

void TPosixProgramStarter::StartDetached(const std::string& executable, const std::string& folder) {
  TSpawnSetup setup;
  // A session of its own, so that closing our terminal or our process group
  // does not take the new instance along; clean signal handling whatever
  // this thread has blocked; no input of ours.
  Check(::posix_spawn_file_actions_addopen(setup.Actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0));
  if (!folder.empty()) Check(::posix_spawn_file_actions_addchdir_np(setup.Actions(), folder.c_str()));
  // Descriptors are close-on-exec here, but not necessarily those a library
  // or our own starter left open; the new instance must hold none of them.
  Check(::posix_spawn_file_actions_addclosefrom_np(setup.Actions(), STDERR_FILENO + 1));
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  Check(::posix_spawnattr_setsigmask(setup.Attributes(), &none));
  Check(::posix_spawnattr_setsigdefault(setup.Attributes(), &all));
  Check(::posix_spawnattr_setflags(setup.Attributes(),
                                   POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID));

  char* argv[] = {const_cast<char*>(executable.c_str()), nullptr};
  pid_t pid = 0;
  Check(::posix_spawn(&pid, executable.c_str(), setup.Actions(), setup.Attributes(), argv, environ));
  try {
    // We usually end right after this; should we live on, the new instance
    // must not stay a zombie of ours when it ends first.
    std::thread([pid] {
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread to collect it, an early end leaves a zombie until we
    // end ourselves; that is all it costs.
  }
}

}  // namespace

std::unique_ptr<IProgramStarter> CreateProgramStarter() { return std::make_unique<TPosixProgramStarter>(); }

}  // namespace ratemill::platform
