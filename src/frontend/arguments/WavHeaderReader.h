#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace ratemill {

struct TWavFormat {
  std::int32_t SampleRate = 0;
  std::uint16_t BitsPerSample = 0;
};

// Why a header could not be read; the buffer was then left as it was.
enum class TWavHeaderFault {
  None,
  CannotOpen,      // missing, no permission, or a read error
  NotRegularFile,  // a folder, FIFO, socket or device: never opened for reading
  TooShort,        // fewer than 44 bytes
};

// The reason in words, for the error pane; empty for `None`.
std::string WavHeaderFaultText(TWavHeaderFault fault);

// Reads the two format fields of a canonical WAV header. One buffer serves
// every file of the program's life, so a file whose header cannot be read
// yields what the last good file left there (zero before the first).
class TWavHeaderReader {
 public:
  static constexpr std::size_t HeaderSize = 44;

  // A file that cannot be opened or holds fewer than 44 bytes leaves the
  // buffer as it was: half of a new header next to half of an old one would
  // give a value that belongs to neither file.
  TWavFormat ReadWavHeader(const std::string& path);

  // What the last readable header said (zero before the first): the format
  // that the last call of ReadWavHeader returned, without reading again.
  TWavFormat LastFormat() const;

  // How many times ReadWavHeader was called, readable or not.
  int ReadCount() const { return FReadCount; }

  // Why the last header could not be read, cleared by taking it, so that a
  // caller who does not know whether a read took place sees only a new fault.
  TWavHeaderFault TakeFault() { return std::exchange(FFault, TWavHeaderFault::None); }

 private:
  std::array<std::uint8_t, HeaderSize> FBuffer{};
  int FReadCount = 0;
  TWavHeaderFault FFault = TWavHeaderFault::None;
};

}  // namespace ratemill
