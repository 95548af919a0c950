#include "ConverterChecks.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>

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

std::vector<int> ProgressPercents(const std::string& output) {
  static const std::regex Form(R"(^ ([ \d]{2}\d)% processed(, ETA =[ \d]{3}\d+sec)?$)");
  std::vector<int> percents;
  for (const auto& segment : SplitConsoleSegments(output)) {
    if (segment.Text.find("processed") == std::string::npos) continue;
    std::smatch match;
    if (!std::regex_match(segment.Text, match, Form)) {
      ADD_FAILURE() << "malformed progress update: [" << segment.Text << "]";
      continue;
    }
    EXPECT_EQ(segment.End, '\r') << "progress update not ended by a bare CR: [" << segment.Text << "]";
    percents.push_back(std::stoi(match[1].str()));
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
    for (int b = 0; b < bytes; ++b) value |= static_cast<std::int64_t>(static_cast<unsigned char>(data[i + b])) << (8 * b);
    if (bytes == 1) {
      value -= 128;  // 8-bit samples are unsigned
    } else if (value & (std::int64_t{1} << (format->Bits - 1))) {
      value -= std::int64_t{1} << format->Bits;
    }
    peak = std::max(peak, std::abs(static_cast<double>(value)) / full);
  }
  return peak;
}

}  // namespace ratemill::test
