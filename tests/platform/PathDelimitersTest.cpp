// Splitting paths on every delimiter of the platform. On Windows a path may
// hold '/' as well as '\\' (Qt's dialogs give '/'), and an output name made
// from a source must still take only the source's file name.
#include <gtest/gtest.h>

#include <string>

#include "platform/FileSystem.h"

namespace ratemill::platform {
namespace {

TEST(PathDelimiters, SplitOnEveryDelimiterOfThePlatform) {
  const bool windows = PathDelim == '\\';
  struct TCase {
    std::string Path;
    // Where the platform splits: the folder part and the name part.
    std::string PosixFolder, PosixName, WindowsFolder, WindowsName;
  };
  const TCase cases[] = {
      {"Z:/tmp/take1.wav", "Z:/tmp/", "take1.wav", "Z:/tmp/", "take1.wav"},
      {"C:\\music\\take1.wav", "", "C:\\music\\take1.wav", "C:\\music\\", "take1.wav"},
      {"C:\\music/sub\\a b.wav", "C:\\music/", "sub\\a b.wav", "C:\\music/sub\\", "a b.wav"},
      {"C:/music\\sub/a.wav", "C:/music\\sub/", "a.wav", "C:/music\\sub/", "a.wav"},
      {"plain.wav", "", "plain.wav", "", "plain.wav"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.Path), windows ? c.WindowsFolder : c.PosixFolder) << c.Path;
    EXPECT_EQ(ExtractFileName(c.Path), windows ? c.WindowsName : c.PosixName) << c.Path;
  }
}

TEST(PathDelimiters, TrailingDelimiterIsAddedOnlyWhenNoneEndsThePath) {
  const bool windows = PathDelim == '\\';
  const std::string delim(1, PathDelim);
  EXPECT_EQ(IncludeTrailingPathDelimiter("Z:/out/"), "Z:/out/");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\out\\"), windows ? "C:\\out\\" : "C:\\out\\" + delim);
  EXPECT_EQ(IncludeTrailingPathDelimiter("out"), "out" + delim);
  EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");
}

}  // namespace
}  // namespace ratemill::platform
