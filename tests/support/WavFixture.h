#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ratemill::test {

// How a fixture file is laid out beyond its rate, bits and channels, so tests
// can feed the readers the variants that real files come in.
struct TWavLayout {
  // 1 is integer PCM, 3 is IEEE float; anything else is written as given.
  std::uint16_t FormatTag = 1;
  // WAVE_FORMAT_EXTENSIBLE: the fmt chunk carries 0xFFFE and `FormatTag` as
  // the sub-format, which is what some tools write for 24-bit files.
  bool Extensible = false;
  // A LIST chunk of odd length before the fmt chunk, so a reader that
  // assumes the canonical 44-byte header reads the wrong bytes.
  bool ListChunkFirst = false;
};

// The fmt and data chunks of a WAV file as found by walking its chunks.
struct TWavFormat {
  std::uint16_t FormatTag = 0;     // 0xFFFE for extensible files
  std::uint16_t SubFormatTag = 0;  // the sub-format of an extensible file, else FormatTag
  std::uint16_t Channels = 0;
  std::uint32_t Rate = 0;
  std::uint16_t Bits = 0;
  std::uint16_t BlockAlign = 0;
  std::uint32_t RiffSize = 0;  // as declared in the RIFF header
  bool HasData = false;
  std::uint32_t DataSize = 0;    // as declared in the data chunk's header
  std::uint64_t DataOffset = 0;  // where the sample bytes start
};

// Writes a WAV file holding `frames` frames of a 440 Hz sine at half scale.
// Throws std::runtime_error when the file cannot be written.
void WriteWav(const std::string& path, std::uint32_t rate, std::uint16_t bits, std::uint16_t channels,
              std::uint64_t frames, const TWavLayout& layout = {});

// Reads the format of a RIFF/WAVE file by walking its chunks up to the data
// chunk. Empty when the file cannot be opened, is not RIFF/WAVE, or has no
// complete fmt chunk.
std::optional<TWavFormat> ReadWavFormat(const std::string& path);

}  // namespace ratemill::test
