#include "WavFixture.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace ratemill::test {

namespace {

constexpr std::uint16_t FormatExtensible = 0xFFFE;

void PutU16(std::string& out, std::uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>(value >> 8));
}

void PutU32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint16_t GetU16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

std::uint32_t GetU32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// One sample of the fixture's sine, encoded as the format asks.
void PutSample(std::string& out, double value, std::uint16_t bits, std::uint16_t formatTag) {
  if (formatTag == 3) {
    float f = static_cast<float>(value);
    std::uint32_t raw;
    std::memcpy(&raw, &f, sizeof raw);
    PutU32(out, raw);
    return;
  }
  const int bytes = (bits + 7) / 8;
  const double full = std::ldexp(1.0, bits - 1) - 1.0;
  auto scaled = static_cast<std::int64_t>(std::lround(value * full));
  if (bits <= 8) scaled += 128;  // 8-bit WAV samples are unsigned
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((scaled >> (8 * i)) & 0xFF));
}

}  // namespace

void WriteWav(const std::string& path, std::uint32_t rate, std::uint16_t bits, std::uint16_t channels,
              std::uint64_t frames, const TWavLayout& layout) {
  const std::uint16_t blockAlign = static_cast<std::uint16_t>(channels * ((bits + 7) / 8));
  const std::uint64_t dataSize64 = frames * blockAlign;
  if (dataSize64 > 0xFFFFFFF0u - 200) throw std::runtime_error("WAV fixture too large: " + path);
  const auto dataSize = static_cast<std::uint32_t>(dataSize64);

  std::string fmt;
  PutU16(fmt, layout.Extensible ? FormatExtensible : layout.FormatTag);
  PutU16(fmt, channels);
  PutU32(fmt, rate);
  PutU32(fmt, rate * blockAlign);
  PutU16(fmt, blockAlign);
  PutU16(fmt, bits);
  if (layout.Extensible) {
    PutU16(fmt, 22);    // size of the extension
    PutU16(fmt, bits);  // valid bits per sample
    PutU32(fmt, channels == 2 ? 0x3 : 0x4);
    static const unsigned char GuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    PutU16(fmt, layout.FormatTag);
    fmt.append(reinterpret_cast<const char*>(GuidTail), sizeof GuidTail);
  }

  std::string header = "RIFF";
  std::string body = "WAVE";
  if (layout.ListChunkFirst) {
    const std::string info("INFOISFT\x05\x00\x00\x00test\x00", 17);  // odd length: needs a pad byte
    body += "LIST";
    PutU32(body, static_cast<std::uint32_t>(info.size()));
    body += info;
    if (info.size() % 2 != 0) body.push_back('\0');
  }
  body += "fmt ";
  PutU32(body, static_cast<std::uint32_t>(fmt.size()));
  body += fmt;
  body += "data";
  PutU32(body, dataSize);
  PutU32(header, static_cast<std::uint32_t>(body.size() + dataSize + (dataSize % 2)));

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << header << body;

  // Streamed in blocks: the test converter writes minute-long outputs too.
  const double step = 2.0 * std::numbers::pi * 440.0 / rate;
  std::string block;
  for (std::uint64_t frame = 0; frame < frames; ++frame) {
    const double value = 0.5 * std::sin(step * static_cast<double>(frame));
    for (std::uint16_t c = 0; c < channels; ++c) PutSample(block, value, bits, layout.FormatTag);
    if (block.size() >= 1 << 16) {
      out << block;
      block.clear();
    }
  }
  out << block;
  if (dataSize % 2 != 0) out.put('\0');
  out.flush();
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::optional<TWavFormat> ReadWavFormat(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  unsigned char riff[12];
  if (!in.read(reinterpret_cast<char*>(riff), sizeof riff)) return std::nullopt;
  if (std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) return std::nullopt;

  TWavFormat format;
  format.RiffSize = GetU32(riff + 4);
  bool haveFmt = false;
  std::uint64_t offset = 12;
  unsigned char chunk[8];
  while (in.seekg(static_cast<std::streamoff>(offset)) && in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) {
    const std::uint32_t size = GetU32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16) return std::nullopt;
      std::vector<unsigned char> body(size);
      if (!in.read(reinterpret_cast<char*>(body.data()), size)) return std::nullopt;
      format.FormatTag = GetU16(&body[0]);
      format.Channels = GetU16(&body[2]);
      format.Rate = GetU32(&body[4]);
      format.BlockAlign = GetU16(&body[12]);
      format.Bits = GetU16(&body[14]);
      format.SubFormatTag = format.FormatTag;
      if (format.FormatTag == FormatExtensible && size >= 26) format.SubFormatTag = GetU16(&body[24]);
      haveFmt = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      format.HasData = true;
      format.DataSize = size;
      format.DataOffset = offset + 8;
      break;
    }
    // Chunks are word-aligned: an odd-sized chunk is followed by a pad byte.
    offset += 8 + static_cast<std::uint64_t>(size) + (size % 2);
  }
  if (!haveFmt) return std::nullopt;
  return format;
}

}  // namespace ratemill::test
