#include "frontend/arguments/WavHeaderReader.h"

#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"

namespace ratemill {
namespace {

std::string Header(std::uint32_t rate, std::uint16_t bits, std::size_t length = 44) {
  std::string h(44, '\x7F');  // filler that must not leak into either field
  for (int i = 0; i < 4; ++i) h[24 + i] = static_cast<char>(rate >> (8 * i));
  h[34] = static_cast<char>(bits & 0xFF);
  h[35] = static_cast<char>(bits >> 8);
  h.resize(length, 'x');
  return h;
}

TEST(WavHeaderReader, ReadsLittleEndianFieldsAtTheirOffsets) {
  struct {
    std::uint32_t Rate;
    std::uint16_t Bits;
    std::int32_t ExpectedRate;
  } const cases[] = {
      {44100, 16, 44100},
      {0x01020304, 0x0A0B, 0x01020304},  // byte order shows
      {0xFFFFFFFF, 0xFFFF, -1},          // the rate is signed, the bits are not
  };
  test::TTempDir dir;
  for (const auto& c : cases) {
    test::WriteFile(dir / "h.wav", Header(c.Rate, c.Bits, 1000));
    TWavHeaderReader reader;
    const TWavFormat format = reader.ReadWavHeader(dir / "h.wav");
    EXPECT_EQ(format.SampleRate, c.ExpectedRate) << c.Rate;
    EXPECT_EQ(format.BitsPerSample, c.Bits) << c.Rate;
  }
}

TEST(WavHeaderReader, UnreadableOrShortFileKeepsWhatTheLastGoodFileLeft) {
  test::TTempDir dir;
  test::WriteFile(dir / "good.wav", Header(48000, 24));
  // These would change both fields if any of their bytes reached the buffer.
  test::WriteFile(dir / "short.wav", Header(96000, 8, 43));
  test::WriteFile(dir / "rate-only.wav", Header(96000, 8, 30));
  test::WriteFile(dir / "empty.wav", "");

  const char* const unreadable[] = {"short.wav", "rate-only.wav", "empty.wav", "missing.wav", ""};
  TWavHeaderReader reader;
  for (const char* name : unreadable) {
    const TWavFormat before = reader.ReadWavHeader(dir / name);
    EXPECT_EQ(before.SampleRate, 0) << "fresh buffer, " << name;
    EXPECT_EQ(before.BitsPerSample, 0) << "fresh buffer, " << name;
  }
  reader.ReadWavHeader(dir / "good.wav");
  for (const char* name : unreadable) {
    const TWavFormat after = reader.ReadWavHeader(dir / name);
    EXPECT_EQ(after.SampleRate, 48000) << name;
    EXPECT_EQ(after.BitsPerSample, 24) << name;
  }
  // A folder cannot be read as a file either.
  EXPECT_EQ(reader.ReadWavHeader(dir.Path()).SampleRate, 48000);
}

}  // namespace
}  // namespace ratemill
