#include <gtest/gtest.h>

#include <string>

#include "platform/TempFileNames.h"

namespace ratemill::platform {
namespace {

// Only a name that is exactly "<prefix><pid>-<counter>" names a writer: a
// leftover is removed on the strength of this answer, so anything else,
// however close, must be left to whoever put it there.
TEST(TempFileNames, OnlyTheExactNamingNamesAWriter) {
  const std::string prefix = ".Ratemill.ini.tmp";
  struct TCase {
    std::string Tail;
    std::uint32_t Writer;
  };
  const TCase cases[] = {
      {"4711-0", 4711},
      {"1-17", 1},
      {"123456789-3", 123456789},
      {"1234567890-3", 0},  // longer than any process id we write
      {"4711", 0},
      {"4711-", 0},
      {"-0", 0},
      {"4711-0.bak", 0},
      {"4711-x", 0},
      {"47a1-0", 0},
      {"", 0},
      {" 4711-0", 0},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(TempFileWriter(prefix + c.Tail, prefix.size()), c.Writer) << '"' << c.Tail << '"';
  }
  EXPECT_EQ(TempFileWriter("short", prefix.size()), 0u);
}

}  // namespace
}  // namespace ratemill::platform
