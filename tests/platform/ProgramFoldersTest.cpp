// Where the program keeps its files: beside itself when its folder is
// writable, else per user; and where it looks for the converter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "platform/DialogFolders.h"
#include "platform/ProgramFolders.h"

namespace ratemill::platform {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

bool Exists(const std::string& path) { return std::filesystem::exists(std::filesystem::symlink_status(path)); }

// A folder no one may create files in. Root passes every permission check,
// but the process file system takes new files from nobody.
std::string UnwritableFolder(const TTempDir& dir) {
  if (::geteuid() == 0) return "/proc/";
  const std::string folder = dir / "readonly/";
  std::filesystem::create_directory(folder);
  ::chmod(folder.c_str(), 0555);
  return folder;
}

TEST(PerUserDataDir, FollowsTheBaseFolderConvention) {
  struct TCase {
    const char* Description;
    std::string XdgConfigHome, Home, Expected;
  } cases[] = {
      {"config home set", "/cfg", "/home/u", "/cfg/ratemill/"},
      {"config home with its delimiter", "/cfg/", "/home/u", "/cfg/ratemill/"},
      {"config home unset", "", "/home/u", "/home/u/.config/ratemill/"},
      {"relative config home is ignored", "cfg", "/home/u", "/home/u/.config/ratemill/"},
      {"home with its delimiter", "", "/home/u/", "/home/u/.config/ratemill/"},
      {"neither", "", "", ""},
      {"only a relative config home", "cfg", "", ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(PerUserDataDir(c.XdgConfigHome, c.Home), c.Expected) << c.Description;
}

TEST(IsFolderWritable, CreatesAProbeAndLeavesNothingBehind) {
  TTempDir dir;
  EXPECT_TRUE(IsFolderWritable(dir.Path()));
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));

  EXPECT_FALSE(IsFolderWritable(UnwritableFolder(dir)));
  EXPECT_FALSE(IsFolderWritable(dir / "missing/"));
  WriteFile(dir / "file", "x");
  EXPECT_FALSE(IsFolderWritable(dir / "file"));
}

TEST(DecideProgramFolders, WritableProgramFolderIsPortable) {
  TTempDir app, config;
  const TProgramFolders folders = DecideProgramFolders(app.Path(), config / "xdg", "/nonexistent-home");
  EXPECT_TRUE(folders.Portable);
  EXPECT_EQ(folders.AppDir, app.Path());
  EXPECT_EQ(folders.DataDir, app.Path());
  // A portable program leaves the user's configuration alone.
  EXPECT_FALSE(Exists(config / "xdg"));
  EXPECT_TRUE(std::filesystem::is_empty(app.Path()));
}

TEST(DecideProgramFolders, UnwritableProgramFolderUsesThePerUserFolder) {
  TTempDir temp, home;
  const std::string appDir = UnwritableFolder(temp);
  struct TCase {
    const char* Description;
    std::string XdgConfigHome, Expected;
  } cases[] = {
      {"config home", home / "a/b", home / "a/b/ratemill/"},
      {"default under home", "", home / ".config/ratemill/"},
  };
  for (const TCase& c : cases) {
    const TProgramFolders folders = DecideProgramFolders(appDir, c.XdgConfigHome, home.Path());
    EXPECT_FALSE(folders.Portable) << c.Description;
    EXPECT_EQ(folders.AppDir, appDir) << c.Description;
    EXPECT_EQ(folders.DataDir, c.Expected) << c.Description;
    EXPECT_TRUE(std::filesystem::is_directory(c.Expected)) << c.Description;
  }
}

TEST(DecideProgramFolders, KeepsWhatThePerUserFolderHolds) {
  TTempDir temp, config;
  std::filesystem::create_directory(config / "ratemill");
  WriteFile(config / "ratemill/Ratemill.ini", "[Einstellungen]\r\nBits=2\r\n");
  const TProgramFolders folders = DecideProgramFolders(UnwritableFolder(temp), config.Path(), "/nonexistent-home");
  EXPECT_EQ(folders.DataDir, config / "ratemill/");
  EXPECT_EQ(ReadFile(config / "ratemill/Ratemill.ini"), "[Einstellungen]\r\nBits=2\r\n");
}

TEST(DecideProgramFolders, UnusablePerUserFolderIsAClearErrorAndChangesNothing) {
  TTempDir temp, config;
  // Something that is not a folder stands where one is needed: the config
  // home itself, or the program's folder inside it. Root cannot get past
  // either, so the case holds for every user.
  WriteFile(config / "plainfile", "user data");
  std::filesystem::create_directory(config / "home");
  WriteFile(config / "home/ratemill", "user data");
  struct TCase {
    const char* Description;
    std::string XdgConfigHome, Blocker, ExpectedFolder;
  } cases[] = {
      {"config home is a file", config / "plainfile", config / "plainfile", config / "plainfile/ratemill/"},
      {"program's folder is a file", config / "home", config / "home/ratemill", config / "home/ratemill/"},
  };
  const std::string appDir = UnwritableFolder(temp);
  for (const TCase& c : cases) {
    try {
      DecideProgramFolders(appDir, c.XdgConfigHome, "/nonexistent-home");
      ADD_FAILURE() << c.Description << ": no error";
    } catch (const EDataDirError& error) {
      EXPECT_NE(std::string(error.what()).find(c.ExpectedFolder), std::string::npos) << error.what();
    }
    EXPECT_EQ(ReadFile(c.Blocker), "user data") << c.Description;
  }

  EXPECT_THROW(DecideProgramFolders(appDir, "", ""), EDataDirError);
}

TEST(LocateProgramFile, ProgramFolderFirstThenDataFolder) {
  TTempDir app, data;
  WriteFile(app / "both", "");
  WriteFile(data / "both", "");
  WriteFile(app / "app-only", "");
  WriteFile(data / "data-only", "");
  struct TCase {
    const char* Name;
    std::string ExpectedPath, ExpectedFolder;
  } cases[] = {
      {"both", app / "both", app.Path()},
      {"app-only", app / "app-only", app.Path()},
      {"data-only", data / "data-only", data.Path()},
      // A missing file is reported in the program's folder, as before.
      {"neither", "", app.Path()},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(LocateProgramFile(app.Path(), data.Path(), c.Name), c.ExpectedPath) << c.Name;
    EXPECT_EQ(ProgramFileFolder(app.Path(), data.Path(), c.Name), c.ExpectedFolder) << c.Name;
  }
  // A folder of that name is no program.
  std::filesystem::create_directory(data / "folder");
  EXPECT_EQ(LocateProgramFile(app.Path(), data.Path(), "folder"), "");
}

TEST(DialogStartFolder, RequestedThenLastChosenThenMusic) {
  struct TCase {
    std::string Requested, LastChosen, Music, Expected;
  } cases[] = {
      {"/req", "/last", "/music", "/req"},
      {"", "/last", "/music", "/last"},
      {"", "", "/music", "/music"},
      {"", "", "", ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(DialogStartFolder(c.Requested, c.LastChosen, c.Music), c.Expected)
        << c.Requested << "|" << c.LastChosen << "|" << c.Music;
  }
}

}  // namespace
}  // namespace ratemill::platform
