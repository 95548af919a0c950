#include "batch/WholeOutput.h"

#include <cstring>

#include "platform/FileSystem.h"

namespace ratemill {
namespace {

const char kPartMark[] = ".ratemill-part-";

bool IsDigits(const std::string& text, std::size_t from, std::size_t to) {
  if (from >= to) return false;
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
  }
  return true;
}

std::uint32_t Little32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

}  // namespace

std::string TempOutputName(const std::string& output, std::uint32_t processId, std::size_t number) {
  return platform::ExtractFilePath(output) + "." + platform::ExtractFileName(output) + kPartMark +
         std::to_string(processId) + "-" + std::to_string(number);
}

bool IsTempOutputOf(const std::string& name, const std::string& outputName) {
  const std::string prefix = "." + outputName + kPartMark;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  const std::size_t dash = name.find('-', prefix.size());
  return dash != std::string::npos && IsDigits(name, prefix.size(), dash) && IsDigits(name, dash + 1, name.size());
}

std::optional<TWavFormat> ReadOutputFormat(const std::string& path) {
  // Only a regular file is opened: a converter that left a FIFO there must
  // not make the main thread wait on it.
  if (platform::FileKind(path) != platform::TFileKind::fkRegular) return std::nullopt;
  // Writers may put other chunks (a LIST of tags) before the fmt chunk; a
  // few kilobytes hold it in any file a converter writes.
  unsigned char head[4096] = {};
  const std::size_t size = platform::ReadFileHead(path, head, sizeof head);
  if (size < 12 || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0) return std::nullopt;
  std::size_t chunk = 12;
  while (chunk + 8 <= size) {
    const std::uint32_t length = Little32(head + chunk + 4);
    if (std::memcmp(head + chunk, "fmt ", 4) == 0) {
      // The fields up to the bits are the same in every fmt chunk, the
      // extensible one included.
      if (length < 16 || chunk + 8 + 16 > size) return std::nullopt;
      TWavFormat format;
      format.SampleRate = static_cast<std::int32_t>(Little32(head + chunk + 12));
      format.BitsPerSample = static_cast<std::uint16_t>(head[chunk + 22] | head[chunk + 23] << 8);
      if (format.SampleRate <= 0 || format.BitsPerSample == 0) return std::nullopt;
      return format;
    }
    // Chunks are padded to an even length.
    chunk += 8 + static_cast<std::size_t>(length) + (length & 1u);
  }
  return std::nullopt;
}

bool HasWavHeader(const std::string& path) { return ReadOutputFormat(path).has_value(); }

}  // namespace ratemill
