#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/AppDir.h"
#include "platform/FileSystem.h"

namespace ratemill::platform {
namespace {

TEST(AppDir, IsTheFolderOfTheRunningProgram) {
  const std::string fileName = GetAppFileName();
  EXPECT_TRUE(std::filesystem::equivalent(fileName, RATEMILL_TEST_BINARY)) << fileName;

  const std::string dir = GetAppDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), PathDelim);
  EXPECT_EQ(dir + std::filesystem::path(fileName).filename().string(), fileName);
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(dir).parent_path(),
                                          std::filesystem::path(RATEMILL_TEST_BINARY).parent_path()));
}

}  // namespace
}  // namespace ratemill::platform
