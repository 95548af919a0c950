// The chunk walker that the converter tests judge every output by: if it
// misread a header, those tests would pass on wrong files.

#include <gtest/gtest.h>
#include <ostream>
#include <string>

#include "TempDir.h"
#include "WavFixture.h"

namespace ratemill::test {
namespace {

struct TLayoutCase {
  const char* Name;
  TWavLayout Layout;
  std::uint16_t Bits;
  std::uint16_t WantTag;
  std::uint16_t WantSubTag;
  std::uint64_t WantDataOffset;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TLayoutCase& c, std::ostream* os) { *os << c.Name; }

class WavFixtureLayout : public ::testing::TestWithParam<TLayoutCase> {};

TEST_P(WavFixtureLayout, ReadsBackWhatWasWritten) {
  const TLayoutCase& c = GetParam();
  TTempDir dir;
  WriteWav(dir / "a.wav", 48000, c.Bits, 2, 101, c.Layout);
  const auto format = ReadWavFormat(dir / "a.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->FormatTag, c.WantTag);
  EXPECT_EQ(format->SubFormatTag, c.WantSubTag);
  EXPECT_EQ(format->Rate, 48000u);
  EXPECT_EQ(format->Bits, c.Bits);
  EXPECT_EQ(format->Channels, 2);
  EXPECT_EQ(format->BlockAlign, 2 * c.Bits / 8);
  EXPECT_EQ(format->DataOffset, c.WantDataOffset);
  EXPECT_EQ(format->DataSize, 101u * 2 * c.Bits / 8);
  const std::string bytes = ReadFile(dir / "a.wav");
  EXPECT_EQ(format->RiffSize, bytes.size() - 8);
  EXPECT_EQ(bytes.size(), format->DataOffset + format->DataSize + format->DataSize % 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, WavFixtureLayout,
                         ::testing::Values(TLayoutCase{"Canonical16", {}, 16, 1, 1, 44},
                                           TLayoutCase{"Canonical24OddDataSize", {}, 24, 1, 1, 44},
                                           TLayoutCase{"Extensible24", {1, true, false}, 24, 0xFFFE, 1, 68},
                                           TLayoutCase{"Float32", {3, false, false}, 32, 3, 3, 44},
                                           // 12 RIFF + 8+17+1 padded LIST + 8+16 fmt + 8 data header
                                           TLayoutCase{"ListChunkBeforeFmt", {1, false, true}, 16, 1, 1, 70}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(WavFixtureRead, RefusesWhatIsNotAWaveFileWithAFmtChunk) {
  TTempDir dir;
  WriteWav(dir / "good.wav", 44100, 16, 1, 10);
  const std::string good = ReadFile(dir / "good.wav");
  struct TCase {
    const char* Name;
    std::string Bytes;
  };
  const TCase cases[] = {
      {"empty", ""},
      {"not RIFF", "RIFX" + good.substr(4)},
      {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12)},
      {"fmt chunk cut short", good.substr(0, 30)},
      {"no fmt chunk", good.substr(0, 12) + "data" + std::string("\x04\x00\x00\x00", 4) + "abcd"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteFile(dir / "bad.wav", c.Bytes);
    EXPECT_FALSE(ReadWavFormat(dir / "bad.wav").has_value());
  }
  EXPECT_FALSE(ReadWavFormat(dir / "missing.wav").has_value());
}

}  // namespace
}  // namespace ratemill::test
