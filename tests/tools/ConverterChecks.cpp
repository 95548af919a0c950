#include "ConverterChecks.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ChildProcess.h"
#include "TempDir.h"
#include "WavFixture.h"

namespace ratemill::test {

std::vector<TConsoleSegment> SplitConsoleSegments(const std::string& output) {
  std::vector<TConsoleSegment> segments;
  std::string current;
  for (char c : output) {
    if (c == '\r' || c == '\n') {
      segments.push_back({current, c});
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  if (!current.empty()) segments.push_back({current, '\0'});
  return segments;
}

namespace {

// A right-aligned decimal field: blanks, then at least one digit, nothing else.
bool ParseAlignedNumber(const std::string& field, int& value) {
  const auto first = field.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  if (field.find_first_not_of("0123456789", first) != std::string::npos) return false;
  value = std::stoi(field.substr(first));
  return true;
}

// " %3d%% processed" with an optional ", ETA =%4dsec".
bool ParseProgress(const std::string& text, int& percent) {
  static const std::string Processed = "% processed";
  static const std::string Eta = ", ETA =";
  if (text.size() < 4 + Processed.size() || text[0] != ' ') return false;
  if (!ParseAlignedNumber(text.substr(1, 3), percent)) return false;
  if (text.compare(4, Processed.size(), Processed) != 0) return false;
  const std::string tail = text.substr(4 + Processed.size());
  if (tail.empty()) return true;
  if (!tail.starts_with(Eta) || !tail.ends_with("sec")) return false;
  const std::string seconds = tail.substr(Eta.size(), tail.size() - Eta.size() - 3);
  int ignored;
  return seconds.size() >= 4 && ParseAlignedNumber(seconds, ignored);
}

}  // namespace

std::vector<int> ProgressPercents(const std::string& output) {
  std::vector<int> percents;
  for (const auto& segment : SplitConsoleSegments(output)) {
    if (segment.Text.find("processed") == std::string::npos) continue;
    int percent = 0;
    if (!ParseProgress(segment.Text, percent)) {
      ADD_FAILURE() << "malformed progress update: [" << segment.Text << "]";
      continue;
    }
    EXPECT_EQ(segment.End, '\r') << "progress update not ended by a bare CR: [" << segment.Text << "]";
    percents.push_back(percent);
  }
  return percents;
}

double PeakOf(const std::string& path) {
  const auto format = ReadWavFormat(path);
  if (!format || format->FormatTag != 1 || format->Bits == 0 || format->Bits % 8 != 0) return -1.0;
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(format->DataOffset));
  std::string data(format->DataSize, '\0');
  in.read(data.data(), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<std::size_t>(in.gcount()));
  const int bytes = format->Bits / 8;
  const double full = std::ldexp(1.0, format->Bits - 1);
  double peak = 0.0;
  for (std::size_t i = 0; i + bytes <= data.size(); i += bytes) {
    std::int64_t value = 0;
    for (int b = 0; b < bytes; ++b)
      value |= static_cast<std::int64_t>(static_cast<unsigned char>(data[i + b])) << (8 * b);
    if (bytes == 1) {
      value -= 128;  // 8-bit samples are unsigned
    } else if (value & (std::int64_t{1} << (format->Bits - 1))) {
      value -= std::int64_t{1} << format->Bits;
    }
    peak = std::max(peak, std::abs(static_cast<double>(value)) / full);
  }
  return peak;
}

void WriteConverterInput(TConverterInput input, const std::string& path) {
  switch (input) {
    case TConverterInput::Pcm: WriteWav(path, 44100, 16, 2, 441); break;
    case TConverterInput::Extensible: WriteWav(path, 44100, 24, 2, 441, {1, true, false}); break;
    case TConverterInput::Float: WriteWav(path, 44100, 32, 2, 441, {3, false, false}); break;
    case TConverterInput::NotWav: WriteFile(path, "ID3\x03 not a wave file at all, just bytes"); break;
    case TConverterInput::Missing: break;
  }
}

void ExpectConverterFailure(const TChildResult& result, const std::string& wantStderr, const std::string& outputPath) {
  EXPECT_EQ(result.ExitCode, 255);
  EXPECT_EQ(result.Err, wantStderr);
  EXPECT_EQ(result.Out.find(wantStderr), std::string::npos) << "errors belong on stderr only";
  EXPECT_FALSE(std::filesystem::exists(outputPath));
}

}  // namespace ratemill::test
