#include "frontend/arguments/WavHeaderReader.h"

#include "platform/FileSystem.h"

namespace ratemill {

namespace {

constexpr std::size_t SampleRateOffset = 24;
constexpr std::size_t BitsPerSampleOffset = 34;

}  // namespace

std::string WavHeaderFaultText(TWavHeaderFault fault) {
  switch (fault) {
    case TWavHeaderFault::None: return {};
    case TWavHeaderFault::CannotOpen: return "Datei kann nicht gelesen werden";
    case TWavHeaderFault::NotRegularFile: return "keine gewöhnliche Datei";
    case TWavHeaderFault::TooShort: return "Datei kürzer als ein WAV-Kopf";
  }
  return {};
}

TWavFormat TWavHeaderReader::ReadWavHeader(const std::string& path) {
  ++FReadCount;
  std::array<std::uint8_t, HeaderSize> scratch{};
  platform::THeadReadFault fault = platform::THeadReadFault::None;
  const std::size_t read = platform::ReadFileHead(path, scratch.data(), scratch.size(), &fault);
  if (fault == platform::THeadReadFault::NotRegularFile) {
    FFault = TWavHeaderFault::NotRegularFile;
  } else if (fault != platform::THeadReadFault::None) {
    FFault = TWavHeaderFault::CannotOpen;
  } else if (read < scratch.size()) {
    FFault = TWavHeaderFault::TooShort;
  } else {
    FFault = TWavHeaderFault::None;
    FBuffer = scratch;
  }
  return LastFormat();
}

TWavFormat TWavHeaderReader::LastFormat() const {
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
