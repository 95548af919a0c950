#pragma once

#include <string>
#include <vector>

namespace ratemill::test {

// One piece of console output up to and including its terminator.
struct TConsoleSegment {
  std::string Text;
  char End = '\0';  // '\r', '\n', or '\0' for an unterminated tail
};

std::vector<TConsoleSegment> SplitConsoleSegments(const std::string& output);

// The percentages of the converter's progress updates in `output`, checked
// against the converter's own form: " %3d%% processed", optionally followed
// by ", ETA =%4dsec", ended by a bare carriage return. Every malformed
// update fails the calling test.
std::vector<int> ProgressPercents(const std::string& output);

// The inputs that both converters must refuse (or, for `Pcm`, accept so that
// an option is what fails).
enum class TConverterInput { Pcm, Extensible, Float, NotWav, Missing };
void WriteConverterInput(TConverterInput input, const std::string& path);

struct TChildResult;

// A failed conversion as the real converter reports one: exit code 255, the
// message on standard error alone, and no output file.
void ExpectConverterFailure(const TChildResult& result, const std::string& wantStderr, const std::string& outputPath);

// The largest sample magnitude of an integer PCM file, 1.0 being full scale.
// Negative when the file cannot be read.
double PeakOf(const std::string& path);

}  // namespace ratemill::test
