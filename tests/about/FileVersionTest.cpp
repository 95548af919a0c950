#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "about/FileVersion.h"
#include "platform/AppDir.h"

using namespace ratemill;

namespace {

struct TStampCase {
  const char* Name;
  // The file's content; "<M>" stands for the marker. The marker is put in at
  // run time so that this test's own file holds no stamp but its real one.
  std::string Content;
  const char* Expected;
};

std::string WithMarker(std::string content) {
  const std::string placeholder = "<M>";
  for (std::size_t at = content.find(placeholder); at != std::string::npos; at = content.find(placeholder, at)) {
    content.replace(at, placeholder.size(), kFileVersionMarker);
    at += std::string(kFileVersionMarker).size();
  }
  return content;
}

class FileVersionStampTest : public ::testing::TestWithParam<TStampCase> {};

TEST_P(FileVersionStampTest, ReadsTheStampFromTheFile) {
  test::TTempDir dir;
  const std::string path = dir / "program";
  test::WriteFile(path, WithMarker(GetParam().Content));
  EXPECT_EQ(GetFileVersionString(path), GetParam().Expected);
}

const TStampCase kStampCases[] = {
    {"StampAmongBinaryBytes",
     std::string("\x7f"
                 "ELF\0\0\x01",
                 7) +
         "<M>2.5.17.300;" + std::string("\0\xff", 2),
     "2.5.17.300"},
    {"LargestNumbers", "<M>65535.65535.65535.65535;", "65535.65535.65535.65535"},
    {"LeadingZerosAreNumbers", "<M>01.002.0003.00004;", "1.2.3.4"},
    {"BareMarkerBeforeTheStamp", std::string("<M>\0junk<M>", 11) + "3.1.4.1;", "3.1.4.1"},
    {"FirstWholeStampCounts", "<M>1.2.3.4;<M>5.6.7.8;", "1.2.3.4"},
    {"NoStamp", "just some bytes 1.2.3.4;", ""},
    {"EmptyFile", "", ""},
    {"CutAfterTheLastNumber", "<M>1.2.3.4", ""},
    {"CutInsideTheNumbers", "<M>1.2.", ""},
    {"MarkerAtTheEnd", "<M>", ""},
    {"ThreeNumbers", "<M>1.2.3;", ""},
    {"FiveNumbers", "<M>1.2.3.4.5;", ""},
    {"NumberAbove16Bits", "<M>65536.0.0.0;", ""},
    {"SixDigits", "<M>000001.0.0.0;", ""},
    {"EmptyNumber", "<M>1..3.4;", ""},
    {"SignedNumber", "<M>-1.0.0.0;", ""},
};

INSTANTIATE_TEST_SUITE_P(Stamps, FileVersionStampTest, ::testing::ValuesIn(kStampCases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(FileVersion, NoFileOrAFolderGivesEmptyText) {
  test::TTempDir dir;
  EXPECT_EQ(GetFileVersionString(dir / "missing"), "");
  std::filesystem::create_directory(dir / "folder");
  EXPECT_EQ(GetFileVersionString(dir / "folder"), "");
}

TEST(FileVersion, StampedExecutablesCarryTheProjectVersion) {
  // The program itself, and this test, which the build stamps the same way.
  EXPECT_EQ(GetFileVersionString(RATEMILL_PROGRAM), RATEMILL_FILE_VERSION);
  EXPECT_EQ(GetFileVersionString(platform::GetAppFileName()), RATEMILL_FILE_VERSION);
}

}  // namespace
