#include <windows.h>

#include <memory>
#include <string>

#include "platform/Errors.h"
#include "platform/ProgramStart.h"
#include "platform/WinText.h"

namespace ratemill::platform {
namespace {

class TWinProgramStarter : public IProgramStarter {
 public:
  void StartDetached(const std::string& executable, const std::string& folder) override;
};

void TWinProgramStarter::StartDetached(const std::string& executable, const std::string& folder) {
  const std::wstring application = Utf8ToWide(executable);
  // The program's own name as its only argument, quoted so that a path with
  // spaces stays one argument; CreateProcessW may write into this buffer.
  std::wstring commandLine = L"\"" + application + L"\"";
  const std::wstring workingFolder = Utf8ToWide(folder);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // No console of ours and a process group of its own, so that closing our
  // console or a Ctrl+C meant for us does not take the new instance along;
  // no handle of ours is inherited.
  if (!::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT, nullptr,
                        folder.empty() ? nullptr : workingFolder.c_str(), &startup, &started)) {
    throw ESystemError(static_cast<int>(::GetLastError()));
  }
  // Nothing to collect on Windows: closing the handles lets it run on alone.
  ::CloseHandle(started.hThread);
  ::CloseHandle(started.hProcess);
}

}  // namespace

std::unique_ptr<IProgramStarter> CreateProgramStarter() { return std::make_unique<TWinProgramStarter>(); }

}  // namespace ratemill::platform
