#pragma once

#include <memory>
#include <string>

namespace ratemill::platform {

// Hands a web or "mailto:" address to the desktop's default handler ("open").
// The outcome is not reported: with no handler installed nothing happens.
class IShell {
 public:
  virtual ~IShell() = default;
  virtual void OpenAddress(const std::string& address) = 0;
};

// The desktop's handler of this platform.
std::unique_ptr<IShell> CreateShell();

}  // namespace ratemill::platform
