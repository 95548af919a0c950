#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Shell.h"

namespace ratemill::platform {

// Opens addresses with a desktop opener program (`xdg-open`), started
// directly, without a shell, and not waited for: a thread of its own collects
// the opener when it ends, so no zombie is left behind.
class TPosixShell : public IShell {
 public:
  // Called on the collecting thread with the opener's pid and wait status.
  using TExitHandler = std::function<void(int pid, int status)>;

  explicit TPosixShell(std::string opener = "xdg-open", TExitHandler onExit = {});

  void OpenAddress(const std::string& address) override;

  // The program and arguments that open `address`; empty when it is not
  // handed on (an empty address, or one the opener would take for an option).
  std::vector<std::string> OpenCommand(const std::string& address) const;

 private:
  std::string FOpener;
  TExitHandler FOnExit;
};

}  // namespace ratemill::platform
