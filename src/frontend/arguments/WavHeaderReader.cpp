#include "frontend/arguments/WavHeaderReader.h"

#include "platform/FileSystem.h"

namespace ratemill {

namespace {

constexpr std::size_t SampleRateOffset = 24;
constexpr std::size_t BitsPerSampleOffset = 34;

}  // namespace

TWavFormat TWavHeaderReader::ReadWavHeader(const std::string& path) {
  ++FReadCount;
  std::array<std::uint8_t, HeaderSize> scratch{};
  if (platform::ReadFileHead(path, scratch.data(), scratch.size()) == scratch.size()) FBuffer = scratch;

  const std::uint8_t* rate = FBuffer.data() + SampleRateOffset;
  const std::uint8_t* bits = FBuffer.data() + BitsPerSampleOffset;
  TWavFormat format;
  format.SampleRate =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(rate[0]) | static_cast<std::uint32_t>(rate[1]) << 8 |
                                static_cast<std::uint32_t>(rate[2]) << 16 | static_cast<std::uint32_t>(rate[3]) << 24);
  format.BitsPerSample = static_cast<std::uint16_t>(bits[0] | bits[1] << 8);
  return format;
}

}  // namespace ratemill
