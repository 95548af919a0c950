#include "frontend/arguments/WavHeaderReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
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

// Each unreadable header says why, once; a FIFO is one of them and is never
// waited on (the guard turns a blocking read into a failure, not a hang).
TEST(WavHeaderReader, TellsWhyAHeaderWasUnreadable) {
  test::TTempDir dir;
  test::WriteFile(dir / "good.wav", Header(48000, 24));
  test::WriteFile(dir / "short.wav", Header(96000, 8, 43));
  ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
  struct TCase {
    std::string Name;
    TWavHeaderFault Fault;
  };
  const TCase cases[] = {
      {"good.wav", TWavHeaderFault::None},      {"fifo.wav", TWavHeaderFault::NotRegularFile},
      {"short.wav", TWavHeaderFault::TooShort}, {"missing.wav", TWavHeaderFault::CannotOpen},
      {"", TWavHeaderFault::NotRegularFile},  // the folder itself
  };
  TWavHeaderReader reader;
  for (const TCase& c : cases) {
    auto read = std::async(std::launch::async, [&] { return reader.ReadWavHeader(dir / c.Name); });
    if (read.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      const int writer = ::open((dir / "fifo.wav").c_str(), O_WRONLY | O_NONBLOCK);
      if (writer >= 0) ::close(writer);
      FAIL() << "reading " << c.Name << " blocked";
    }
    EXPECT_EQ(read.get().SampleRate, 48000) << c.Name;
    EXPECT_EQ(reader.TakeFault(), c.Fault) << c.Name;
    EXPECT_EQ(reader.TakeFault(), TWavHeaderFault::None) << "taken once: " << c.Name;
    EXPECT_EQ(WavHeaderFaultText(c.Fault).empty(), c.Fault == TWavHeaderFault::None) << c.Name;
  }
}

}  // namespace
}  // namespace ratemill
