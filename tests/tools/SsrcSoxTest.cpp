// The converter that new users get: real files through real sox. The outputs
// must have the requested format in a plain PCM header (the real converter
// refuses extensible input, so our outputs must feed it too), progress must
// look like the real converter's, and failures must be told as it tells them.

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "ConverterChecks.h"
#include "TempDir.h"
#include "WavFixture.h"

namespace ratemill::test {
namespace {

const double HalfScale = 0.5;  // the fixtures' sine

class SsrcSox : public ::testing::Test {
 protected:
  void SetUp() override {
    // A skip here would hide a CI image without sox.
    ASSERT_FALSE(FindOnPath("sox").empty()) << "sox is not on PATH; install it (apt-get install -y sox)";
  }

  static std::vector<std::string> Command(const std::vector<std::string>& options, const std::string& in,
                                          const std::string& out) {
    std::vector<std::string> argv{RATEMILL_SSRC_SOX};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(in);
    argv.push_back(out);
    return argv;
  }

  // Everything the wrapper leaves in `dir` apart from `keep`.
  static std::vector<std::string> Leftovers(const TTempDir& dir, const std::vector<std::string>& keep) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      const std::string name = entry.path().filename().string();
      if (std::find(keep.begin(), keep.end(), name) == keep.end()) found.push_back(name);
    }
    return found;
  }
};

struct TConversionCase {
  const char* Name;
  std::uint32_t InRate;
  std::uint16_t InBits;
  TWavLayout Layout;
  std::vector<std::string> Options;
  std::uint32_t WantRate;
  std::uint16_t WantBits;
  std::optional<double> WantPeak;  // checked to within 0.03 of full scale
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TConversionCase& c, std::ostream* os) { *os << c.Name; }

class SsrcSoxConversion : public SsrcSox, public ::testing::WithParamInterface<TConversionCase> {};

TEST_P(SsrcSoxConversion, WritesThePlainPcmFormatAskedFor) {
  const TConversionCase& c = GetParam();
  TTempDir dir;
  const std::uint64_t frames = c.InRate / 10;  // 0.1 s
  WriteWav(dir / "in.wav", c.InRate, c.InBits, 2, frames, c.Layout);
  std::vector<std::string> options = c.Options;
  for (auto& option : options)
    if (option == "TMPDIR") option = dir / "scratch.tmp";

  const TChildResult result = RunChild(Command(options, dir / "in.wav", dir / "out.wav"));

  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  // Warnings may come (sox reports dither clipping after normalising); nothing else.
  for (const auto& segment : SplitConsoleSegments(result.Err))
    EXPECT_TRUE(segment.Text.starts_with("sox WARN ")) << result.Err;

  const auto format = ReadWavFormat(dir / "out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->FormatTag, 1) << "not plain PCM (extensible is 0xFFFE)";
  EXPECT_EQ(format->Rate, c.WantRate);
  EXPECT_EQ(format->Bits, c.WantBits);
  EXPECT_EQ(format->Channels, 2);
  const std::uint64_t wantFrames = frames * c.WantRate / c.InRate;
  const std::uint64_t gotFrames = format->DataSize / format->BlockAlign;
  EXPECT_NEAR(static_cast<double>(gotFrames), static_cast<double>(wantFrames), 2.0);
  const auto fileSize = std::filesystem::file_size(dir / "out.wav");
  EXPECT_EQ(format->DataOffset + format->DataSize + format->DataSize % 2, fileSize);
  EXPECT_EQ(format->RiffSize, fileSize - 8);
  if (c.WantPeak) {
    EXPECT_NEAR(PeakOf(dir / "out.wav"), *c.WantPeak, 0.03);
  }

  const std::vector<int> percents = ProgressPercents(result.Out);
  ASSERT_FALSE(percents.empty()) << result.Out;
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(result.Out.ends_with("done\n")) << result.Out;
  EXPECT_EQ(Leftovers(dir, {"in.wav", "out.wav"}), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SsrcSoxConversion,
    ::testing::Values(
        TConversionCase{
            "Cd16To48k24", 44100, 16, {}, {"--rate", "48000", "--bits", "24", "--dither", "2"}, 48000, 24, HalfScale},
        TConversionCase{"Studio24To32k16",
                        48000,
                        24,
                        {},
                        {"--rate", "32000", "--bits", "16", "--dither", "1"},
                        32000,
                        16,
                        HalfScale},
        TConversionCase{"AttenuationIsInDecibels",
                        44100,
                        16,
                        {},
                        {"--rate", "48000", "--att", "6"},
                        48000,
                        16,
                        HalfScale* std::pow(10.0, -6.0 / 20)},
        TConversionCase{"NegativeAttenuationAmplifies",
                        44100,
                        16,
                        {},
                        {"--att", "-3"},
                        44100,
                        16,
                        HalfScale* std::pow(10.0, 3.0 / 20)},
        TConversionCase{"NoDither", 48000, 24, {}, {"--bits", "16", "--dither", "0"}, 48000, 16, HalfScale},
        TConversionCase{"FastProfile",
                        44100,
                        16,
                        {},
                        {"--rate", "96000", "--bits", "24", "--profile", "fast"},
                        96000,
                        24,
                        HalfScale},
        TConversionCase{"NormalizeReachesFullScale",
                        48000,
                        24,
                        {},
                        {"--rate", "44100", "--bits", "16", "--twopass", "--normalize", "--dither", "3"},
                        44100,
                        16,
                        1.0},
        TConversionCase{"NormalizeWithAttenuationStaysBelowFullScale",
                        44100,
                        16,
                        {},
                        {"--normalize", "--att", "6", "--bits", "24"},
                        44100,
                        24,
                        std::pow(10.0, -6.0 / 20)},
        TConversionCase{"TwoPassWithTemporaryFile",
                        44100,
                        16,
                        {},
                        {"--twopass", "--tmpfile", "TMPDIR", "--rate", "88200", "--dither", "4", "--pdf", "1"},
                        88200,
                        16,
                        HalfScale},
        TConversionCase{"EightBit", 44100, 16, {}, {"--bits", "8", "--dither", "1"}, 44100, 8, HalfScale},
        TConversionCase{
            "FmtChunkAfterListChunk", 22050, 16, {1, false, true}, {"--rate", "44100"}, 44100, 16, HalfScale}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TFailureCase {
  const char* Name;
  TConverterInput Input;
  std::vector<std::string> Options;
  std::string WantStderr;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TFailureCase& c, std::ostream* os) { *os << c.Name; }

class SsrcSoxFailure : public SsrcSox, public ::testing::WithParamInterface<TFailureCase> {};

TEST_P(SsrcSoxFailure, ReportsOnStderrExits255AndWritesNothing) {
  const TFailureCase& c = GetParam();
  TTempDir dir;
  WriteConverterInput(c.Input, dir / "in.wav");

  const TChildResult result = RunChild(Command(c.Options, dir / "in.wav", dir / "out.wav"));

  ExpectConverterFailure(result, c.WantStderr, dir / "out.wav");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SsrcSoxFailure,
    ::testing::Values(
        TFailureCase{"UnknownOption", TConverterInput::Pcm, {"--bogus"}, "unrecognized option : --bogus\n"},
        TFailureCase{"MissingInput", TConverterInput::Missing, {}, "cannot open input file.\n"},
        TFailureCase{"ExtensibleInput", TConverterInput::Extensible, {}, "Error: Only PCM is supported.\n"},
        TFailureCase{"FloatInput", TConverterInput::Float, {}, "Error: Only PCM is supported.\n"},
        TFailureCase{"UnsupportedBits", TConverterInput::Pcm, {"--bits", "12"}, "Error: unsupported bit depth : 12\n"},
        TFailureCase{
            "CommaInAttenuation", TConverterInput::Pcm, {"--att", "3,5"}, "Error: invalid attenuation : 3,5\n"},
        TFailureCase{
            "UnknownProfile", TConverterInput::Pcm, {"--profile", "turbo"}, "Error: unknown profile : turbo\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(SsrcSox, RefusesToWriteOverItsOwnSource) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const std::string before = ReadFile(dir / "in.wav");
  std::filesystem::create_symlink(dir / "in.wav", dir / "alias.wav");

  for (const char* out : {"in.wav", "alias.wav"}) {
    SCOPED_TRACE(out);
    const TChildResult result = RunChild(Command({"--rate", "48000"}, dir / "in.wav", dir / out));
    EXPECT_EQ(result.ExitCode, 255);
    EXPECT_EQ(result.Err, "Error: source and destination are the same file.\n");
    EXPECT_EQ(ReadFile(dir / "in.wav"), before);
  }
}

TEST_F(SsrcSox, FailedConversionKeepsAnEarlierOutputAndLeavesNoPartialFile) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 4410);
  WriteFile(dir / "out.wav", "an earlier conversion");
  // Normalising needs sox's temporary file, which cannot be made here, so sox
  // fails after it has started writing.
  const TChildResult result =
      RunChild(Command({"--normalize", "--tmpfile", dir / "missing/scratch.tmp"}, dir / "in.wav", dir / "out.wav"));

  EXPECT_EQ(result.ExitCode, 255);
  EXPECT_NE(result.Err.find("sox FAIL"), std::string::npos) << result.Err;
  EXPECT_EQ(ReadFile(dir / "out.wav"), "an earlier conversion");
  EXPECT_EQ(Leftovers(dir, {"in.wav", "out.wav"}), std::vector<std::string>{});
}

TEST_F(SsrcSox, OutputFolderMissingFailsWithoutOutput) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult result = RunChild(Command({}, dir / "in.wav", dir / "missing/out.wav"));
  ExpectConverterFailure(result, "cannot open output file.\n", dir / "missing");
}

TEST_F(SsrcSox, NamesBeginningWithADashAreFilesNotOptions) {
  TTempDir dir;
  WriteWav(dir / "-in.wav", 44100, 16, 2, 441);
  // Relative names, as sox would read "-in.wav" as an option.
  const TChildResult result = RunChild(
      {"/bin/bash", "-c", "cd \"$1\" && exec \"$2\" --bits 24 -in.wav -out.wav", "sh", dir.Path(), RATEMILL_SSRC_SOX});
  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  const auto format = ReadWavFormat(dir / "-out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->Bits, 24);
}

TEST_F(SsrcSox, AnOutputConvertsAgain) {
  // A chain of two conversions: the first output is the second's input, as
  // when a user converts an already converted file.
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 4410);
  ASSERT_EQ(RunChild(Command({"--rate", "48000", "--bits", "24"}, dir / "in.wav", dir / "mid.wav")).ExitCode, 0);
  const TChildResult second = RunChild(Command({"--rate", "44100", "--bits", "16"}, dir / "mid.wav", dir / "out.wav"));
  ASSERT_EQ(second.ExitCode, 0) << second.Err;
  const auto format = ReadWavFormat(dir / "out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->Rate, 44100u);
  EXPECT_EQ(format->Bits, 16);
  EXPECT_NEAR(PeakOf(dir / "out.wav"), HalfScale, 0.03);
}

}  // namespace
}  // namespace ratemill::test
