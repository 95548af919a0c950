#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <thread>
#include <utility>

#include "platform/PosixShell.h"

extern char** environ;

namespace ratemill::platform {
namespace {

// posix_spawn's C objects, destroyed on every way out.
class TSpawnSetup {
 public:
  TSpawnSetup() {
    FActionsValid = ::posix_spawn_file_actions_init(&FActions) == 0;
    FAttributesValid = ::posix_spawnattr_init(&FAttributes) == 0;
  }
  ~TSpawnSetup() {
    if (FActionsValid) ::posix_spawn_file_actions_destroy(&FActions);
    if (FAttributesValid) ::posix_spawnattr_destroy(&FAttributes);
  }
  TSpawnSetup(const TSpawnSetup&) = delete;
  TSpawnSetup& operator=(const TSpawnSetup&) = delete;

  bool Valid() const { return FActionsValid && FAttributesValid; }
  posix_spawn_file_actions_t* Actions() { return &FActions; }
  posix_spawnattr_t* Attributes() { return &FAttributes; }

 private:
  posix_spawn_file_actions_t FActions{};
  posix_spawnattr_t FAttributes{};
  bool FActionsValid = false;
  bool FAttributesValid = false;
};

}  // namespace

TPosixShell::TPosixShell(std::string opener, TExitHandler onExit)
    : FOpener(std::move(opener)), FOnExit(std::move(onExit)) {}

std::vector<std::string> TPosixShell::OpenCommand(const std::string& address) const {
  if (address.empty() || address.front() == '-') return {};
  return {FOpener, address};
}

void TPosixShell::OpenAddress(const std::string& address) {
  const auto command = OpenCommand(address);
  if (command.empty()) return;

  TSpawnSetup setup;
  if (!setup.Valid()) return;
  // The opener must not read what belongs to us, and must start with clean
  // signal handling whatever this thread has blocked.
  ::posix_spawn_file_actions_addopen(setup.Actions(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  sigset_t none;
  sigset_t all;
  sigemptyset(&none);
  sigfillset(&all);
  ::posix_spawnattr_setsigmask(setup.Attributes(), &none);
  ::posix_spawnattr_setsigdefault(setup.Attributes(), &all);
  ::posix_spawnattr_setflags(setup.Attributes(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  for (const auto& argument : command) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (::posix_spawnp(&pid, argv[0], setup.Actions(), setup.Attributes(), argv.data(), environ) != 0) {
    return;  // no opener installed: nothing happens, as with no handler
  }
  try {
    std::thread([pid, onExit = FOnExit] {
      int status = 0;
      pid_t result;
      do {
        result = ::waitpid(pid, &status, 0);
      } while (result < 0 && errno == EINTR);
      if (result == pid && onExit) onExit(pid, status);
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread to collect it the opener stays a zombie until we end;
    // that is all it costs.
  }
}

std::unique_ptr<IShell> CreateShell() { return std::make_unique<TPosixShell>(); }

}  // namespace ratemill::platform
