// Looking a program up along a search path, with an empty entry read either
// as the current folder (as a shell does) or as nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "TempDir.h"
#include "platform/SearchPath.h"

using namespace ratemill::platform;
using ratemill::test::TTempDir;
using ratemill::test::WriteFile;

namespace {

// Makes `folder` the current folder for the life of the object.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::string& folder) : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolderScope() { std::filesystem::current_path(before_); }
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  std::filesystem::path before_;
};

}  // namespace

TEST(FindOnSearchPath, EmptyEntriesFollowTheCallersChoiceAndOnlyExecutableFilesCount) {
  // Each case lays out the folders "a", "b" and "here" (the current folder)
  // with a program "prog" where named; "<a>" and "<b>" in the search path
  // stand for the folders' paths without their trailing '/'.
  struct TCase {
    const char* Description;
    std::vector<std::pair<std::string, bool>> Programs;  // "a/prog" and whether it is executable
    std::string SearchPath;
    EmptyPathEntry EmptyEntry;
    std::string Expected;  // "<a>/prog" and the like, "./prog", or empty: none
  };
  using enum EmptyPathEntry;
  const TCase cases[] = {
      {"first folder that holds it", {{"a/prog", true}, {"b/prog", true}}, "<a>:<b>", kSkip, "<a>/prog"},
      {"a file without execute permission is passed over",
       {{"a/prog", false}, {"b/prog", true}},
       "<a>:<b>",
       kSkip,
       "<b>/prog"},
      {"a trailing '/' gives no second one", {{"a/prog", true}}, "<a>/", kSkip, "<a>/prog"},
      {"empty entry skipped though the current folder holds it",
       {{"here/prog", true}, {"b/prog", true}},
       ":<b>",
       kSkip,
       "<b>/prog"},
      {"empty entry skipped, nothing else", {{"here/prog", true}}, "", kSkip, ""},
      {"empty entry is the current folder", {{"here/prog", true}, {"b/prog", true}}, ":<b>", kCurrentFolder, "./prog"},
      {"empty path is the current folder", {{"here/prog", true}}, "", kCurrentFolder, "./prog"},
      {"trailing empty entry comes last", {{"here/prog", true}, {"a/prog", true}}, "<a>:", kCurrentFolder, "<a>/prog"},
      {"current folder without the program", {{"b/prog", true}}, "<a>::<b>", kCurrentFolder, "<b>/prog"},
      {"nowhere", {}, "<a>:<b>:", kCurrentFolder, ""},
  };
  for (const TCase& c : cases) {
    TTempDir dir;
    for (const char* folder : {"a", "b", "here"}) std::filesystem::create_directories(dir / folder);
    for (const auto& [file, executable] : c.Programs) {
      WriteFile(dir / file, "#!/bin/sh\n");
      ASSERT_EQ(::chmod((dir / file).c_str(), executable ? 0755 : 0644), 0);
    }
    auto expand = [&dir](std::string text) {
      for (const char* name : {"a", "b"}) {
        const std::string marker = std::string("<") + name + ">";
        for (std::size_t at; (at = text.find(marker)) != std::string::npos;)
          text.replace(at, marker.size(), dir / name);
      }
      return text;
    };
    CurrentFolderScope inside(dir / "here");
    EXPECT_EQ(FindOnSearchPath(expand(c.SearchPath), "prog", c.EmptyEntry), expand(c.Expected)) << c.Description;
  }
}

TEST(IsExecutableFile, OnlyARegularFileWithExecutePermission) {
  TTempDir dir;
  WriteFile(dir / "run", "");
  WriteFile(dir / "read", "");
  ASSERT_EQ(::chmod((dir / "run").c_str(), 0755), 0);
  ASSERT_EQ(::chmod((dir / "read").c_str(), 0644), 0);
  std::filesystem::create_directories(dir / "folder");

  EXPECT_TRUE(IsExecutableFile(dir / "run"));
  EXPECT_FALSE(IsExecutableFile(dir / "read"));
  EXPECT_FALSE(IsExecutableFile(dir / "folder"));  // folders carry execute permission too
  EXPECT_FALSE(IsExecutableFile(dir / "absent"));
}
