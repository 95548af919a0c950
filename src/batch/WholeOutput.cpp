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

bool HasWavHeader(const std::string& path) {
  // Only a regular file is opened: a converter that left a FIFO there must
  // not make the main thread wait on it.
  if (platform::FileKind(path) != platform::TFileKind::fkRegular) return false;
  // A canonical header is 44 bytes; anything shorter holds no sound.
  unsigned char head[44] = {};
  if (platform::ReadFileHead(path, head, sizeof head) != sizeof head) return false;
  return std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WAVE", 4) == 0;
}

}  // namespace ratemill
