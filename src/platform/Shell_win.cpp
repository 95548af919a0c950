// windows.h first: shellapi.h builds on its types.
#include <windows.h>

#include <shellapi.h>

#include "platform/Shell.h"
#include "platform/WinText.h"

namespace ratemill::platform {
namespace {

class TWinShell : public IShell {
 public:
  void OpenAddress(const std::string& address) override {
    // An empty address, or one that reads as an option, is not handed on.
    if (address.empty() || address.front() == '-') return;
    ::ShellExecuteW(nullptr, L"open", Utf8ToWide(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
};

}  // namespace

std::unique_ptr<IShell> CreateShell() { return std::make_unique<TWinShell>(); }

}  // namespace ratemill::platform
