// Profile files as only POSIX can show them: modes and links are kept, a
// read-only mode refuses the write, a file-size limit or a kill stops a save
// halfway, and the leftovers of dead writers go.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"

extern char** environ;

namespace ratemill::platform {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

const std::string kDefault = "<default>";

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

TEST(IniFileWrite, KeepsPermissionBitsAndFollowsLinks) {
  TTempDir dir;
  const std::string real = dir / "real.ini";
  WriteFile(real, "[s]\nk=1\n");
  ::chmod(real.c_str(), 0640);
  std::filesystem::create_symlink(real, dir / "link.ini");

  TIniFile(dir / "link.ini").WriteString("s", "k", "2");

  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.ini"));
  EXPECT_EQ(ReadFile(real), "[s]\nk=2\n");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(IniFileWrite, NewFileGetsTheUsualPermissions) {
  TTempDir dir;
  const mode_t mask = ::umask(022);
  TIniFile(dir / "new.ini").WriteString("s", "k", "v");
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat((dir / "new.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
}

// Replacing the file by a rename needs only the folder's permission; a file
// marked read-only must still refuse the write, for root as well.
TEST(IniFileWrite, ReadOnlyFileIsNotReplaced) {
  TTempDir dir;
  const std::string path = dir / "language.ini";
  const std::string old = "[main window]\r\nStartButton=Los\r\n";
  WriteFile(path, old);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

  std::string message;
  try {
    TIniFile ini(path);
    ini.WriteString("main window", "StartButton", "Go");
    ini.UpdateFile();
  } catch (const EIniFileError& e) {
    message = e.what();
  }

  EXPECT_EQ(message, "In " + path + " kann nicht geschrieben werden");
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"language.ini"});
}

// A full disk, as far as one process can have one: the file-size limit stops
// the write halfway through the new content.
TEST(IniFileWrite, WriteStoppedHalfwayLeavesTheOldFileWhole) {
  TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  const std::string old = "[Einstellungen]\r\nSamplerate=2\r\nZielpfad=/old\r\n";
  WriteFile(path, old);

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);

  bool thrown = false;
  try {
    TIniFile ini(path);
    ini.WriteString("Einstellungen", "Zielpfad", std::string(500, 'p'));
    ini.UpdateFile();
  } catch (const EIniFileError&) {
    thrown = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, savedHandler);

  EXPECT_TRUE(thrown);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Ratemill.ini"});
}

// A write that fails halfway through the new content leaves the old file
// whole, with none of the changes; the changes stay buffered, so a later
// update that succeeds writes all of them.
TEST(IniFileWrite, FailedUpdateLeavesOldFileThenRetryWritesAll) {
  TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  std::string old = "[Einstellungen]\r\n";
  for (int i = 0; i < 12; ++i) old += "Key" + std::to_string(i) + "=old\r\n";
  WriteFile(path, old);

  TIniFile ini(path);
  for (int i = 0; i < 12; ++i) ini.WriteString("Einstellungen", "Key" + std::to_string(i), std::string(40, 'n'));

  struct rlimit saved {};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto savedHandler = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = old.size() + 100;  // room for the old file, not for all of the new one
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool thrown = false;
  try {
    ini.UpdateFile();
  } catch (const EIniFileError&) {
    thrown = true;
  }
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, savedHandler);

  EXPECT_TRUE(thrown);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Ratemill.ini"});

  ini.UpdateFile();
  std::string expected = "[Einstellungen]\r\n";
  for (int i = 0; i < 12; ++i) expected += "Key" + std::to_string(i) + "=" + std::string(40, 'n') + "\r\n";
  EXPECT_EQ(ReadFile(path), expected);
}

// A process id that no process can have: above the system's largest one.
long DeadProcessId() {
  long pidMax = 4194304;
  if (std::FILE* f = std::fopen("/proc/sys/kernel/pid_max", "r")) {
    if (std::fscanf(f, "%ld", &pidMax) != 1) pidMax = 4194304;
    std::fclose(f);
  }
  return pidMax + 1;
}

TEST(IniFileWrite, LeftoversOfDeadWritersAreRemovedAtTheNextWrite) {
  TTempDir dir;
  const std::string dead = std::to_string(DeadProcessId());
  const std::string alive = std::to_string(::getppid());
  WriteFile(dir / "Ratemill.ini", "[s]\nk=1\n");
  const std::vector<std::string> leftovers = {
      ".Ratemill.ini.tmp" + dead + "-0",
      ".Ratemill.ini.tmp" + dead + "-17",
  };
  std::vector<std::string> kept = {
      ".Ratemill.ini.tmp" + alive + "-3",     // its writer may still be at work
      ".language.ini.tmp" + dead + "-0",      // beside another file
      ".Ratemill.ini.tmp" + dead + "-0.bak",  // not quite our naming
      ".Ratemill.ini.tmp" + dead,             // nor this
      "Ratemill.ini.tmp" + dead + "-0",       // nor this
      "Ratemill.ini",
  };
  for (const auto& name : leftovers) WriteFile(dir / name, std::string(1000, 'x'));
  for (const auto& name : kept) {
    if (name != "Ratemill.ini") WriteFile(dir / name, "someone else's");
  }
  std::filesystem::create_directory(dir / (".Ratemill.ini.tmp" + dead + "-5"));  // a folder is not ours
  kept.push_back(".Ratemill.ini.tmp" + dead + "-5");

  {
    TIniFile ini(dir / "Ratemill.ini");
    ini.WriteString("s", "k", "2");
    ini.UpdateFile();
  }

  std::vector<std::string> names = FolderEntries(dir.Path());
  std::sort(names.begin(), names.end());
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(names, kept);
  EXPECT_EQ(ReadFile(dir / "Ratemill.ini"), "[s]\nk=2\n");
}

// The program killed while it saves, again and again: every kill leaves the
// old file or the new one, with all twelve keys of one save, and the next
// write clears away what the killed writers left beside it.
TEST(IniFileWrite, KilledDuringASaveLeavesOldOrNewNeverAMix) {
  TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  // Large enough that a save takes a while, so the kills land inside it.
  std::string filler;
  for (int i = 0; filler.size() < (1u << 20); ++i) filler += "Fremd" + std::to_string(i) + "=ein langer Wert\r\n";
  WriteFile(path, "[Fremd]\r\n" + filler);
  const char* const keys[] = {"Samplerate", "Bits",   "Rauschen", "Abschwaecher", "Clippingschutz", "Normalisieren",
                              "Schnell",    "Dither", "Zielpfad", "TmpFile",      "TmpFilePfad",    "benutzeHP"};

  long onDisk = -1;  // the value of the last save that reached the disk; none yet
  for (int kill = 0; kill < 12; ++kill) {
    int out[2];
    ASSERT_EQ(::pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    char* const argv[] = {const_cast<char*>(RATEMILL_INI_SAVER), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, RATEMILL_INI_SAVER, &actions, nullptr, argv, environ), 0);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // Kill at the start of a different save each time: the first, the second...
    const int target = 1 + kill % 4;
    std::string seen;
    int started = 0;
    char buffer[256];
    while (started < target) {
      const ssize_t n = ::read(out[0], buffer, sizeof buffer);
      ASSERT_GT(n, 0) << "the saver ended early";
      seen.append(buffer, static_cast<std::size_t>(n));
      started = static_cast<int>(std::count(seen.begin(), seen.end(), '\n'));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(out[0]);

    const TIniFile ini(path);
    const long first = ini.ReadInteger("Einstellungen", keys[0], -1);
    for (const char* key : keys)
      EXPECT_EQ(ini.ReadInteger("Einstellungen", key, -1), first) << key << ", kill " << kill;
    // Old or new: what was there before this saver, or one of its saves.
    EXPECT_TRUE(first == onDisk || (first >= 1 && first <= started)) << first << ", kill " << kill;
    onDisk = first;
    EXPECT_EQ(ini.ReadString("Fremd", "Fremd0", kDefault), "ein langer Wert");
  }

  {
    TIniFile ini(path);
    ini.WriteString("Einstellungen", "Zielpfad", "/after");
    ini.UpdateFile();
  }
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"Ratemill.ini"});
}

TEST(IniFileWrite, WritesThatChangeNothingLeaveTheFileAlone) {
  TTempDir dir;
  const std::string path = dir / "same.ini";
  WriteFile(path, "[s]\nk=1\n");
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  {
    TIniFile ini(path);
    ini.WriteString("s", "k", "1");
    ini.UpdateFile();
  }
  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
}

}  // namespace
}  // namespace ratemill::platform
