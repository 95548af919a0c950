// The platform's detached start on Windows, as a restart uses it, with a real
// program: the crash child stands in for the restarted program and reports
// through a named pipe how it was started.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "ChildControl.h"
#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/ProgramStart.h"

namespace ratemill::platform {
namespace {

// The pipe the started program writes its report into; reading it blocks
// until the program has connected, written and closed its end.
class TReportPipe {
 public:
  TReportPipe()
      : FName("\\\\.\\pipe\\ratemill-test-start-" + std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(Counter().fetch_add(1))),
        FPipe(::CreateNamedPipeA(FName.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                 nullptr)) {}
  ~TReportPipe() {
    if (FPipe != INVALID_HANDLE_VALUE) ::CloseHandle(FPipe);
  }
  bool IsOpen() const { return FPipe != INVALID_HANDLE_VALUE; }
  const std::string& Name() const { return FName; }
  std::string ReadAll() {
    // A program quick enough may have connected, or even written and closed
    // its end, before we wait for it; what it wrote is still there to read.
    if (!::ConnectNamedPipe(FPipe, nullptr)) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_PIPE_CONNECTED && error != ERROR_NO_DATA)
        return "(no connection: " + std::to_string(error) + ")";
    }
    std::string text;
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(FPipe, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    return text;
  }

 private:
  static std::atomic<unsigned>& Counter() {
    static std::atomic<unsigned> counter{0};
    return counter;
  }
  std::string FName;
  HANDLE FPipe;
};

TEST(WinProgramStart, StartsTheProgramAloneInTheFolderWithoutOurHandles) {
  test::TTempDir dir;
  TReportPipe pipe;
  ASSERT_TRUE(pipe.IsOpen());
  // An inheritable handle of ours must stay behind.
  const test::TStrayFile stray(dir / "stray", "stray file");
  ASSERT_TRUE(::SetEnvironmentVariableA("RATEMILL_CRASH_CHILD_REPORT", pipe.Name().c_str()));
  ASSERT_TRUE(::SetEnvironmentVariableA("RATEMILL_CRASH_CHILD_STRAY", stray.Handle().c_str()));

  CreateProgramStarter()->StartDetached(RATEMILL_TEST_CRASH_CHILD, dir / "");
  const std::string report = pipe.ReadAll();
  ::SetEnvironmentVariableA("RATEMILL_CRASH_CHILD_REPORT", nullptr);
  ::SetEnvironmentVariableA("RATEMILL_CRASH_CHILD_STRAY", nullptr);

  std::string folder = dir.Path();
  folder.pop_back();  // the working folder as the system names it
  EXPECT_EQ(report, folder + "\n1 argument(s): [" + RATEMILL_TEST_CRASH_CHILD + "]\nstray: nothing\n");
}

TEST(WinProgramStart, AProgramThatCannotStartIsReportedWithTheSystemsReason) {
  test::TTempDir dir;
  struct TCase {
    const char* Name;
    std::string Executable;
    std::string Folder;
    int Code;
  };
  const TCase cases[] = {
      {"no such program", dir / "nichtda.exe", dir.Path(), ERROR_FILE_NOT_FOUND},
      {"no such folder", RATEMILL_TEST_CRASH_CHILD, dir / "nichtda\\", ERROR_DIRECTORY},
  };
  for (const auto& c : cases) {
    try {
      CreateProgramStarter()->StartDetached(c.Executable, c.Folder);
      ADD_FAILURE() << c.Name << ": started";
    } catch (const ESystemError& error) {
      EXPECT_EQ(error.Code(), c.Code) << c.Name;
      EXPECT_STREQ(error.what(), ESystemError(c.Code).what()) << c.Name;
    }
  }
}

}  // namespace
}  // namespace ratemill::platform
