// The platform's detached start, as a restart uses it, with a real program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/ProgramStart.h"

namespace ratemill::platform {
namespace {

TEST(ProgramStart, StartsTheProgramInTheFolderInASessionOfItsOwnWithoutOurFiles) {
  test::TTempDir dir;
  const std::string fifo = dir / "report";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ASSERT_EQ(::setenv("RATEMILL_CRASH_CHILD_REPORT", fifo.c_str(), 1), 0);
  // A descriptor of ours that is not close-on-exec must still stay behind.
  const int stray = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(stray, 0);

  CreateProgramStarter()->StartDetached(RATEMILL_TEST_CRASH_CHILD, dir / "");
  ::close(stray);

  // Blocks until the started program has written its report and closed it.
  const int in = ::open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(in, 0);
  std::string report;
  char buffer[4096];
  for (ssize_t n; (n = ::read(in, buffer, sizeof buffer)) > 0;) report.append(buffer, static_cast<std::size_t>(n));
  ::close(in);
  ::unsetenv("RATEMILL_CRASH_CHILD_REPORT");

  std::string folder = dir.Path();
  folder.pop_back();  // the working folder as the system names it
  EXPECT_EQ(report, folder + "\nsession leader\n");
}

TEST(ProgramStart, AProgramThatCannotStartIsReportedWithTheSystemsReason) {
  test::TTempDir dir;
  struct TCase {
    const char* Name;
    std::string Executable;
    std::string Folder;
  };
  const TCase cases[] = {
      {"no such program", dir / "nichtda", dir.Path()},
      {"no such folder", RATEMILL_TEST_CRASH_CHILD, dir / "nichtda/"},
  };
  for (const auto& c : cases) {
    try {
      CreateProgramStarter()->StartDetached(c.Executable, c.Folder);
      ADD_FAILURE() << c.Name << ": started";
    } catch (const ESystemError& error) {
      EXPECT_EQ(error.Code(), ENOENT) << c.Name;
      EXPECT_STREQ(error.what(), ESystemError(ENOENT).what()) << c.Name;
    }
  }
}

}  // namespace
}  // namespace ratemill::platform
