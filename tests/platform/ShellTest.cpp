#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <future>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/PosixShell.h"

namespace ratemill::platform {
namespace {

TEST(PosixShell, HandsOnlyAddressesTheOpenerCannotMistake) {
  const TPosixShell shell("opener");
  struct TCase {
    std::string Address;
    std::vector<std::string> Command;
  };
  const TCase cases[] = {
      {"https://example.org/ssrc", {"opener", "https://example.org/ssrc"}},
      {"mailto:someone@example.org", {"opener", "mailto:someone@example.org"}},
      {"", {}},
      {"--help", {}},  // would be read as an option of the opener
      {"-x", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(shell.OpenCommand(c.Address), c.Command) << c.Address;
}

TEST(PosixShell, StartsTheOpenerWithoutAShellAndCollectsIt) {
  test::TTempDir dir;
  const std::string log = dir / "opener.log";
  ASSERT_EQ(::setenv("RATEMILL_FAKE_OPENER_LOG", log.c_str(), 1), 0);

  std::promise<std::pair<int, int>> ended;
  TPosixShell shell(RATEMILL_FAKE_OPENER, [&ended](int pid, int status) { ended.set_value({pid, status}); });
  // Blanks, quotes and shell syntax must reach the opener as one argument.
  const std::string address = "mailto:a@example.org?subject=Fehler \"x\"; echo $HOME `id` & | >out";
  // Our standard input holds data for the duration: the opener must not get it.
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  ASSERT_EQ(::write(pipeFds[1], "x", 1), 1);
  ::close(pipeFds[1]);
  const int savedStdin = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
  ::dup2(pipeFds[0], STDIN_FILENO);
  ::close(pipeFds[0]);
  shell.OpenAddress(address);
  ::dup2(savedStdin, STDIN_FILENO);
  ::close(savedStdin);

  const auto [pid, status] = ended.get_future().get();
  ::unsetenv("RATEMILL_FAKE_OPENER_LOG");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(test::ReadFile(log), address + '\0' + "stdin:eof");
  // Collected already, so no zombie is left.
  int ignored = 0;
  EXPECT_EQ(::waitpid(pid, &ignored, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(PosixShell, MissingOpenerIsNoError) {
  TPosixShell shell("/nonexistent/ratemill-opener");
  EXPECT_NO_THROW(shell.OpenAddress("https://example.org"));
  EXPECT_NE(CreateShell(), nullptr);
}

}  // namespace
}  // namespace ratemill::platform
