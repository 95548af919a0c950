// Old batch mode's platform side: finding a terminal, the command that starts
// the script, and writing the script.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "frontend/BatchLauncher.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"

using namespace ratemill;
using ratemill::test::ReadFile;
using ratemill::test::TTempDir;
using ratemill::test::WriteFile;

namespace {

void MakeProgram(const std::string& path, bool executable = true) {
  WriteFile(path, "#!/bin/sh\n");
  ::chmod(path.c_str(), executable ? 0755 : 0644);
}

}  // namespace

TEST(FindTerminal, PrefersTheDesktopsChoiceThenXtermAndSkipsWhatCannotRun) {
  // Each case lays out two folders "a" and "b"; the search path lists them
  // as given, "<a>" and "<b>" standing for the folders.
  struct TCase {
    const char* Description;
    std::vector<std::pair<std::string, bool>> Files;  // "a/xterm" and whether it is executable
    std::vector<std::string> Folders;                 // a folder entry "x/" is a folder named x
    std::string SearchPath;
    std::string Expected;  // relative to the temporary folder; empty: none
  };
  const TCase cases[] = {
      {"nothing there", {}, {}, "<a>:<b>", ""},
      {"only xterm", {{"b/xterm", true}}, {}, "<a>:<b>", "b/xterm"},
      {"both in one folder", {{"a/xterm", true}, {"a/x-terminal-emulator", true}}, {}, "<a>", "a/x-terminal-emulator"},
      {"the chosen terminal wins over an earlier xterm",
       {{"a/xterm", true}, {"b/x-terminal-emulator", true}},
       {},
       "<a>:<b>",
       "b/x-terminal-emulator"},
      {"first folder wins for the same name", {{"a/xterm", true}, {"b/xterm", true}}, {}, "<a>:<b>", "a/xterm"},
      {"a file without execute permission is no terminal",
       {{"a/x-terminal-emulator", false}, {"b/xterm", true}},
       {},
       "<a>:<b>",
       "b/xterm"},
      {"a folder of that name is no terminal", {}, {"a/xterm/"}, "<a>", ""},
      {"empty entries are skipped", {{"b/xterm", true}}, {}, "::<b>:", "b/xterm"},
      {"an empty search path finds nothing", {{"a/xterm", true}}, {}, "", ""},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    std::filesystem::create_directories(dir / "a");
    std::filesystem::create_directories(dir / "b");
    for (const auto& [file, executable] : c.Files) MakeProgram(dir / file, executable);
    for (const std::string& folder : c.Folders) std::filesystem::create_directories(dir / folder);
    std::string searchPath = c.SearchPath;
    for (const char* name : {"a", "b"}) {
      const std::string marker = std::string("<") + name + ">";
      for (std::size_t at; (at = searchPath.find(marker)) != std::string::npos;)
        searchPath.replace(at, marker.size(), dir / name);
    }
    EXPECT_EQ(FindTerminal(searchPath), c.Expected.empty() ? "" : dir / c.Expected) << c.Description;
  }
}

TEST(MakeBatchLaunch, ScriptItselfWithoutTerminal) {
  const TBatchLaunch launch = MakeBatchLaunch("/opt/rate mill/callssrc.bat", "ssrc.exe  - a.wav", "");
  EXPECT_EQ(launch.ApplicationName, "/opt/rate mill/callssrc.bat");
  EXPECT_EQ(launch.CommandLine, "");
}

TEST(MakeBatchLaunch, TerminalGetsTitleAndScriptAsSeparateArguments) {
  struct TCase {
    std::string Title;
    std::string Script;
  };
  const TCase cases[] = {
      {"ssrc.exe  - a.wav", "/opt/ratemill/callssrc.bat"},
      {"ssrc_hp.exe  - \"odd\" name\\.wav", "/opt/rate mill/callssrc.bat"},
      {"ssrc.exe  - a b\\", "/tmp/with\ttab/callssrc.bat"},
  };
  for (const TCase& c : cases) {
    const TBatchLaunch launch = MakeBatchLaunch(c.Script, c.Title, "/usr/bin/xterm");
    EXPECT_EQ(launch.ApplicationName, "/usr/bin/xterm");
    // The runner splits the command line into the terminal's argv; the first
    // word is its program name.
    const std::string& line = launch.CommandLine;
    const std::size_t blank = line.find(' ');
    ASSERT_NE(blank, std::string::npos);
    EXPECT_EQ(line.substr(0, blank), "xterm");
    EXPECT_EQ(platform::SplitCommandLine(line.substr(blank)),
              (std::vector<std::string>{"-T", c.Title, "-e", "/bin/sh", c.Script}))
        << c.Title;
  }
}

TEST(WriteBatchScript, WritesAnExecutableScriptAndReplacesTheOldOneWhole) {
  TTempDir dir;
  const std::string path = dir / "callssrc.bat";
  WriteBatchScript(path, "#!/bin/sh\necho first\n");
  EXPECT_EQ(ReadFile(path), "#!/bin/sh\necho first\n");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);

  // A window still reading the earlier script keeps reading that one.
  std::ifstream reader(path, std::ios::binary);
  WriteBatchScript(path, "#!/bin/sh\necho second, longer\n");
  std::stringstream seen;
  seen << reader.rdbuf();
  EXPECT_EQ(seen.str(), "#!/bin/sh\necho first\n");
  EXPECT_EQ(ReadFile(path), "#!/bin/sh\necho second, longer\n");
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u);
}

TEST(WriteBatchScript, UnwritableFolderRaisesTheSystemError) {
  TTempDir dir;
  EXPECT_THROW(WriteBatchScript(dir / "missing/callssrc.bat", "x"), platform::ESystemError);
}
