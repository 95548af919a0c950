#include "files/FindFiles.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TempDir.h"

namespace ratemill {
namespace {

namespace fs = std::filesystem;

// Lays out a tree under `root`: "dir/" makes a folder, "name -> target" a
// symbolic link, "fifo|name" a named pipe, anything else an empty file.
void MakeTree(const std::string& root, const std::vector<std::string>& layout) {
  for (const std::string& item : layout) {
    const auto arrow = item.find(" -> ");
    if (arrow != std::string::npos) {
      const fs::path link = root + item.substr(0, arrow);
      fs::create_directories(link.parent_path());
      fs::create_symlink(item.substr(arrow + 4), link);
    } else if (item.rfind("fifo|", 0) == 0) {
      ASSERT_EQ(mkfifo((root + item.substr(5)).c_str(), 0644), 0) << item;
    } else if (item.back() == '/') {
      fs::create_directories(root + item);
    } else {
      fs::create_directories(fs::path(root + item).parent_path());
      test::WriteFile(root + item, "");
    }
  }
}

std::vector<std::string> Prefixed(const std::string& root, const std::vector<std::string>& rel) {
  std::vector<std::string> full;
  for (const auto& r : rel) full.push_back(root + r);
  return full;
}

struct TTreeCase {
  const char* Description;
  std::vector<std::string> Tree;
  std::vector<std::string> Expected;  // relative to the scanned folder A/
  bool Recursive = true;
};

TEST(FindFilesRecursive, TreesGiveTheirMatchingFilesDepthFirst) {
  const std::vector<TTreeCase> cases = {
      {"own files first, then each subfolder's whole tree",
       // Made in an order unlike the expected one.
       {"A/C/D/d.wav", "A/C/c.wav", "A/a2.wav", "A/B/b.wav", "A/a1.wav", "A/notes.txt", "A/C/readme"},
       {"a1.wav", "a2.wav", "B/b.wav", "C/c.wav", "C/D/d.wav"}},
      {"non-recursive stays in the folder", {"A/a.wav", "A/B/b.wav"}, {"a.wav"}, false},
      {"WAV files only in a hidden folder add nothing", {"A/.hidden/x.wav", "A/.hidden/S/y.wav"}, {}},
      {"a hidden file is listed", {"A/.x.wav", "A/y.wav"}, {".x.wav", "y.wav"}},
      {"letter case is ignored", {"A/TAKE1.WAV", "A/Mixed.Wav"}, {"Mixed.Wav", "TAKE1.WAV"}},
      {"names in byte order", {"A/b.wav", "A/B.wav", "A/_.wav", "A/a.wav"}, {"B.wav", "_.wav", "a.wav", "b.wav"}},
      {"near misses are not listed", {"A/a.wav.bak", "A/wav", "A/a.wave", "A/awav"}, {}},
      {"a folder named like a WAV file is entered, not listed", {"A/x.wav/y.wav"}, {"x.wav/y.wav"}},
      // A named pipe would leave the converter waiting for ever.
      {"only regular files", {"A/", "fifo|A/pipe.wav", "A/real.wav"}, {"real.wav"}},
      {"links to files are listed, links to folders not entered, a loop ends",
       {"A/sub/s.wav", "A/sub/up -> ..", "A/link.wav -> sub/s.wav", "A/dirlink -> sub", "A/sub/self -> ."},
       {"link.wav", "sub/s.wav"}},
      {"a dangling link is neither listed nor entered, the scan goes on",
       {"A/a/x.wav", "A/b -> gone", "A/c/y.wav", "A/dead.wav -> nowhere.wav"},
       {"a/x.wav", "c/y.wav"}},
      {"empty folder", {"A/"}, {}},
  };
  for (const auto& c : cases) {
    test::TTempDir dir;
    MakeTree(dir.Path(), c.Tree);
    std::vector<std::string> list;
    FindFilesRecursive(dir / "A/", "*.wav", list, c.Recursive);
    EXPECT_EQ(list, Prefixed(dir / "A/", c.Expected)) << c.Description;
  }
}

TEST(FindFilesRecursive, AppendsToTheListWithoutClearingIt) {
  test::TTempDir dir;
  MakeTree(dir.Path(), {"A/x.wav"});
  std::vector<std::string> list = {"/earlier/entry.wav"};
  FindFilesRecursive(dir / "A/", "*.wav", list, true);
  FindFilesRecursive(dir / "A/", "*.wav", list, true);  // twice means twice
  EXPECT_EQ(list, (std::vector<std::string>{"/earlier/entry.wav", dir / "A/x.wav", dir / "A/x.wav"}));
}

TEST(FindFilesRecursive, FolderThatCannotBeSearchedAddsNothing) {
  test::TTempDir dir;
  MakeTree(dir.Path(), {"file.wav"});
  const std::string unsearchable[] = {dir / "missing/", dir / "file.wav/", dir / "vanished/"};
  fs::create_directory(dir / "vanished");
  fs::remove(dir / "vanished");
  for (const auto& folder : unsearchable) {
    std::vector<std::string> list = {"kept"};
    FindFilesRecursive(folder, "*.wav", list, true);
    EXPECT_EQ(list, std::vector<std::string>{"kept"}) << folder;
  }
}

TEST(FindFilesRecursive, UnreadableSubfolderIsSkippedAndTheScanGoesOn) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every folder; see the dangling-link case";
  test::TTempDir dir;
  MakeTree(dir.Path(), {"A/a/x.wav", "A/b/hidden-from-us.wav", "A/c/z.wav"});
  ASSERT_EQ(chmod((dir / "A/b").c_str(), 0), 0);
  std::vector<std::string> list;
  FindFilesRecursive(dir / "A/", "*.wav", list, true);
  chmod((dir / "A/b").c_str(), 0755);
  EXPECT_EQ(list, Prefixed(dir / "A/", {"a/x.wav", "c/z.wav"}));
}

TEST(MatchesMask, WildcardsIgnoringLetterCase) {
  struct {
    const char* Name;
    const char* Mask;
    bool Matches;
  } const cases[] = {
      {"TAKE1.WAV", "*.wav", true},
      {"take1.wav", "*.WAV", true},
      {"a.wav.wav", "*.wav", true},
      {".wav", "*.wav", true},
      {"a.wavx", "*.wav", false},
      {"a.wa", "*.wav", false},
      {"abc", "a?c", true},
      {"ac", "a?c", false},
      {"abbc", "a?c", false},
      {"\xC3\xA4.wav", "?.wav", true},          // "?" is one character, also beyond ASCII
      {"\xC3\x84.wav", "\xC3\xA4.wav", false},  // case folding covers ASCII only
      {"mississippi", "m*iss*ppi", true},
      {"mississippi", "m*iss*ppx", false},
      {"abcabd", "*abd", true},
      {"anything", "*", true},
      {"", "*", true},
      {"", "", true},
      {"x", "", false},
      {"noext", "*.*", true},
      {"a.b", "*.*", true},
      {"a*b", "a*b", true},
  };
  for (const auto& c : cases) EXPECT_EQ(MatchesMask(c.Name, c.Mask), c.Matches) << c.Name << " ~ " << c.Mask;
}

}  // namespace
}  // namespace ratemill
