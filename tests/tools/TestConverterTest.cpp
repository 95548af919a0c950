// The converter stand-in that the GUI and runner tests start: it must accept
// the converter's arguments, write what it is asked to, and fail and talk the
// way the real converter does, or those tests check the wrong thing.

#include <gtest/gtest.h>
#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ChildProcess.h"
#include "ConverterChecks.h"
#include "TempDir.h"
#include "WavFixture.h"

namespace ratemill::test {
namespace {

using TEnvironment = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> Command(const std::vector<std::string>& options, const std::string& in,
                                 const std::string& out) {
  std::vector<std::string> argv{RATEMILL_TEST_CONVERTER};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.push_back(in);
  argv.push_back(out);
  return argv;
}

struct TConversionCase {
  const char* Name;
  std::uint32_t InRate;
  std::uint16_t InBits;
  std::uint16_t Channels;
  std::uint64_t Frames;
  TWavLayout Layout;
  std::vector<std::string> Options;
  std::uint32_t WantRate;
  std::uint16_t WantBits;
  std::uint64_t WantFrames;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TConversionCase& c, std::ostream* os) { *os << c.Name; }

class TestConverterConversion : public ::testing::TestWithParam<TConversionCase> {};

TEST_P(TestConverterConversion, WritesCanonicalPcmOfTheRequestedFormat) {
  const TConversionCase& c = GetParam();
  TTempDir dir;
  WriteWav(dir / "in.wav", c.InRate, c.InBits, c.Channels, c.Frames, c.Layout);

  const TChildResult result = RunChild(Command(c.Options, dir / "in.wav", dir / "out.wav"));

  ASSERT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(result.Err, "");
  const auto format = ReadWavFormat(dir / "out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->FormatTag, 1);
  EXPECT_EQ(format->Rate, c.WantRate);
  EXPECT_EQ(format->Bits, c.WantBits);
  EXPECT_EQ(format->Channels, c.Channels);
  EXPECT_EQ(format->DataOffset, 44u) << "the header must be the canonical one";
  EXPECT_EQ(format->DataSize, c.WantFrames * c.Channels * (c.WantBits / 8));
  const auto fileSize = std::filesystem::file_size(dir / "out.wav");
  EXPECT_EQ(fileSize, 44 + format->DataSize + format->DataSize % 2);
  EXPECT_EQ(format->RiffSize, fileSize - 8);

  const std::vector<int> percents = ProgressPercents(result.Out);
  ASSERT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_TRUE(result.Out.ends_with("done\n"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestConverterConversion,
    ::testing::Values(
        TConversionCase{
            "RateAndBitsGiven", 44100, 16, 2, 4410, {}, {"--rate", "48000", "--bits", "24"}, 48000, 24, 4800},
        TConversionCase{"BothKept", 44100, 16, 2, 4410, {}, {}, 44100, 16, 4410},
        TConversionCase{"RateGivenBitsKept", 48000, 24, 1, 4800, {}, {"--rate", "32000"}, 32000, 24, 3200},
        // The real converter writes 16 bits where 8 are kept.
        TConversionCase{"EightBitsKeptAreWrittenAs16", 44100, 8, 2, 441, {}, {}, 44100, 16, 441},
        TConversionCase{"EightBitsKeptRateGiven", 22050, 8, 1, 2205, {}, {"--rate", "44100"}, 44100, 16, 4410},
        TConversionCase{
            "EveryOtherOption",
            44100,
            16,
            2,
            441,
            {},
            {"--bits", "8", "--att", "3", "--normalize", "--dither", "4", "--pdf", "1", "--profile", "fast"},
            44100,
            8,
            441},
        TConversionCase{"FmtChunkAfterListChunk",
                        22050,
                        16,
                        2,
                        2205,
                        TWavLayout{1, false, true},
                        {"--rate", "96000"},
                        96000,
                        16,
                        9600}),
    [](const auto& info) { return std::string(info.param.Name); });

struct TFailureCase {
  const char* Name;
  TConverterInput Input;
  std::vector<std::string> Options;
  TEnvironment Environment;
  std::string WantStderr;
};

// Failures name the case instead of dumping its bytes.
void PrintTo(const TFailureCase& c, std::ostream* os) { *os << c.Name; }

class TestConverterFailure : public ::testing::TestWithParam<TFailureCase> {};

TEST_P(TestConverterFailure, ReportsOnStderrExits255AndWritesNothing) {
  const TFailureCase& c = GetParam();
  TTempDir dir;
  WriteConverterInput(c.Input, dir / "in.wav");

  const TChildResult result = RunChild(Command(c.Options, dir / "in.wav", dir / "out.wav"), c.Environment);

  ExpectConverterFailure(result, c.WantStderr, dir / "out.wav");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestConverterFailure,
    ::testing::Values(
        TFailureCase{"UnknownOption", TConverterInput::Pcm, {"--bogus"}, {}, "unrecognized option : --bogus\n"},
        TFailureCase{"MissingInput", TConverterInput::Missing, {}, {}, "cannot open input file.\n"},
        TFailureCase{"ExtensibleInput", TConverterInput::Extensible, {}, {}, "Error: Only PCM is supported.\n"},
        TFailureCase{"FloatInput", TConverterInput::Float, {}, {}, "Error: Only PCM is supported.\n"},
        TFailureCase{"NotAWavFile", TConverterInput::NotWav, {}, {}, "Error: Only PCM is supported.\n"},
        TFailureCase{
            "UnsupportedBits", TConverterInput::Pcm, {"--bits", "12"}, {}, "Error: unsupported bit depth : 12\n"},
        TFailureCase{"FailAtHalfway",
                     TConverterInput::Pcm,
                     {},
                     {{"RATEMILL_TC_FAIL_AT", "50"}},
                     "Error: conversion failed at 50%.\n"}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(TestConverterArguments, ValueOfTheLastOptionMissingLeavesOnlyOnePathAndFails) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  // An empty attenuation text splits into a bare --att that swallows the
  // source path, as it would with the real converter.
  const TChildResult result = RunChild({RATEMILL_TEST_CONVERTER, "--att", dir / "in.wav", dir / "out.wav"});
  EXPECT_EQ(result.ExitCode, 255);
  EXPECT_NE(result.Err.find("usage:"), std::string::npos) << result.Err;
  EXPECT_FALSE(std::filesystem::exists(dir / "out.wav"));
}

TEST(TestConverterArguments, RecordAppendsEveryCallsArgumentsEvenFailedOnes) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TEnvironment env{{"RATEMILL_TC_RECORD", dir / "calls.txt"}};
  const std::string in = dir / "in.wav";
  const std::string spaced = dir / "out with blanks.wav";

  EXPECT_EQ(RunChild(Command({"--rate", "48000", "--dither", "2"}, in, spaced), env).ExitCode, 0);
  EXPECT_EQ(RunChild(Command({"--bogus"}, in, dir / "x.wav"), env).ExitCode, 255);

  EXPECT_EQ(ReadFile(dir / "calls.txt"), "--rate\n48000\n--dither\n2\n" + in + "\n" + spaced + "\n\n" + "--bogus\n" +
                                             in + "\n" + dir / "x.wav" + "\n\n");
}

TEST(TestConverterKnobs, StderrLinesArriveAsGivenAndTheRunStillSucceeds) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult result = RunChild(Command({}, dir / "in.wav", dir / "out.wav"),
                                       {{"RATEMILL_TC_STDERR_LINES", "Warning: first\nWarning: second"}});
  EXPECT_EQ(result.ExitCode, 0);
  EXPECT_EQ(result.Err, "Warning: first\nWarning: second\n");
  EXPECT_EQ(result.Out.find("Warning"), std::string::npos);
  EXPECT_TRUE(ReadWavFormat(dir / "out.wav").has_value());
}

// Knobs for some files only: by RATEMILL_TC_MATCH, or by rules that give
// each file its own in one run.
TEST(TestConverterKnobs, PerFileKnobsFollowTheMatchAndTheRules) {
  struct TOutcome {
    int ExitCode;        // -1: ended by a signal
    std::uint32_t Rate;  // 0: no output file
    std::uint16_t Bits;
    std::string Err;
  };
  struct TCase {
    std::string Name;
    TEnvironment Environment;
    TOutcome A, B;
  };
  const TOutcome asked{0, 48000, 24, ""};
  const std::vector<TCase> cases{
      {"no knobs", {}, asked, asked},
      {"rate written for all", {{"RATEMILL_TC_WRITE_RATE", "44100"}}, {0, 44100, 24, ""}, {0, 44100, 24, ""}},
      {"bits written for all", {{"RATEMILL_TC_WRITE_BITS", "16"}}, {0, 48000, 16, ""}, {0, 48000, 16, ""}},
      {"rate written for the match",
       {{"RATEMILL_TC_WRITE_RATE", "44100"}, {"RATEMILL_TC_MATCH", "b.wav"}},
       asked,
       {0, 44100, 24, ""}},
      {"error output for the match",
       {{"RATEMILL_TC_STDERR_LINES", "careful"}, {"RATEMILL_TC_MATCH", "a.wav"}},
       {0, 48000, 24, "careful\n"},
       asked},
      {"failure for the match",
       {{"RATEMILL_TC_FAIL_AT", "50"}, {"RATEMILL_TC_MATCH", "a.wav"}},
       {255, 0, 0, "Error: conversion failed at 50%.\n"},
       asked},
      {"rules give each file its own",
       {{"RATEMILL_TC_RULES", "a.wav:WRITE_RATE=44100;b.wav:EXIT_CODE=255"}},
       {0, 44100, 24, ""},
       {255, 48000, 24, ""}},
      {"a rule with a signal", {{"RATEMILL_TC_RULES", "b.wav:SIGNAL=9"}}, asked, {-1, 48000, 24, ""}},
      {"no output for the match",
       {{"RATEMILL_TC_OUTPUT", "none"}, {"RATEMILL_TC_MATCH", "b.wav"}},
       asked,
       {0, 0, 0, ""}},
      {"a rule wins over the variable",
       {{"RATEMILL_TC_EXIT_CODE", "3"}, {"RATEMILL_TC_RULES", "x.wav:EXIT_CODE=4;a.wav:EXIT_CODE=0"}},
       asked,
       {3, 48000, 24, ""}},
      {"rules for other files change nothing", {{"RATEMILL_TC_RULES", "c.wav:EXIT_CODE=5;broken"}}, asked, asked},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTempDir dir;
    for (const auto& [name, want] : {std::pair{"a", c.A}, std::pair{"b", c.B}}) {
      SCOPED_TRACE(name);
      const std::string in = dir / (std::string(name) + ".wav");
      const std::string out = dir / (std::string(name) + "_out.wav");
      WriteWav(in, 44100, 16, 2, 441);
      const TChildResult result = RunChild(Command({"--rate", "48000", "--bits", "24"}, in, out), c.Environment);
      EXPECT_EQ(result.ExitCode, want.ExitCode);
      EXPECT_EQ(result.Err, want.Err);
      const auto format = ReadWavFormat(out);
      ASSERT_EQ(format.has_value(), want.Rate != 0);
      if (format) {
        EXPECT_EQ(format->Rate, want.Rate);
        EXPECT_EQ(format->Bits, want.Bits);
      }
    }
  }
}

TEST(TestConverterKnobs, RulesGiveOneFileItsOwnProgressSteps) {
  TTempDir dir;
  WriteWav(dir / "a.wav", 44100, 16, 2, 441);
  WriteWav(dir / "b.wav", 44100, 16, 2, 441);
  const TEnvironment environment{{"RATEMILL_TC_PROGRESS_STEPS", "2"}, {"RATEMILL_TC_RULES", "b.wav:PROGRESS_STEPS=4"}};
  const TChildResult a = RunChild(Command({}, dir / "a.wav", dir / "a_out.wav"), environment);
  const TChildResult b = RunChild(Command({}, dir / "b.wav", dir / "b_out.wav"), environment);
  EXPECT_EQ(ProgressPercents(a.Out), (std::vector<int>{0, 50, 100}));
  EXPECT_EQ(ProgressPercents(b.Out), (std::vector<int>{0, 25, 50, 75, 100}));
}

TEST(TestConverterKnobs, TwoPassesCountToAHundredTwice) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult result =
      RunChild(Command({"--twopass"}, dir / "in.wav", dir / "out.wav"), {{"RATEMILL_TC_PROGRESS_STEPS", "4"}});
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_EQ(ProgressPercents(result.Out), (std::vector<int>{0, 25, 50, 75, 100, 0, 25, 50, 75, 100}));
}

TEST(TestConverterKnobs, NonZeroExitCodeLeavesAHeaderOnlyFile) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 4410);
  const TChildResult result =
      RunChild(Command({"--rate", "48000"}, dir / "in.wav", dir / "out.wav"), {{"RATEMILL_TC_EXIT_CODE", "3"}});
  EXPECT_EQ(result.ExitCode, 3);
  EXPECT_EQ(std::filesystem::file_size(dir / "out.wav"), 44u);
  const auto format = ReadWavFormat(dir / "out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->DataSize, 0u);
}

TEST(TestConverterKnobs, ProgressStepsSetTheUpdates) {
  struct TCase {
    const char* Steps;
    std::vector<int> Want;
  };
  const TCase cases[] = {{"4", {0, 25, 50, 75, 100}}, {"1", {0, 100}}, {"0", {}}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Steps);
    TTempDir dir;
    WriteWav(dir / "in.wav", 44100, 16, 2, 441);
    const TChildResult result =
        RunChild(Command({}, dir / "in.wav", dir / "out.wav"), {{"RATEMILL_TC_PROGRESS_STEPS", c.Steps}});
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(ProgressPercents(result.Out), c.Want);
    EXPECT_TRUE(ReadWavFormat(dir / "out.wav").has_value());
  }
}

TEST(TestConverterKnobs, SomeUpdatesCarryAnEtaTailThatALaterShorterUpdateLeavesBehind) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult result = RunChild(Command({}, dir / "in.wav", dir / "out.wav"));
  const auto segments = SplitConsoleSegments(result.Out);
  const auto withEta = std::find_if(segments.begin(), segments.end(),
                                    [](const auto& s) { return s.Text.find(", ETA =") != std::string::npos; });
  ASSERT_NE(withEta, segments.end()) << result.Out;
  EXPECT_TRUE(std::any_of(withEta + 1, segments.end(), [](const auto& s) {
    return s.Text.find("% processed") != std::string::npos && s.Text.find("ETA") == std::string::npos;
  })) << result.Out;
}

TEST(TestConverterKnobs, FloodsOfBothStreamsArriveWhole) {
  // Two folders whose paths have the same length, so the plain run's output
  // differs from the flooded run's by the flood alone.
  TTempDir plainDir;
  TTempDir dir;
  WriteWav(plainDir / "in.wav", 44100, 16, 2, 441);
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult plain = RunChild(Command({}, plainDir / "in.wav", plainDir / "out.wav"));
  const TChildResult flooded =
      RunChild(Command({}, dir / "in.wav", dir / "out.wav"),
               {{"RATEMILL_TC_FLOOD_BYTES", "300001"}, {"RATEMILL_TC_FLOOD_STDERR_BYTES", "200000"}});
  EXPECT_EQ(flooded.ExitCode, 0);
  EXPECT_EQ(flooded.Out.size(), plain.Out.size() + 300001);
  EXPECT_EQ(flooded.Err.size(), 200000u);
  EXPECT_TRUE(flooded.Out.ends_with("done\n"));
}

TEST(TestConverterKnobs, TwoPassUsesAndRemovesTheTemporaryFile) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  const TChildResult result =
      RunChild(Command({"--twopass", "--tmpfile", dir / "scratch.tmp"}, dir / "in.wav", dir / "out.wav"));
  EXPECT_EQ(result.ExitCode, 0) << result.Err;
  EXPECT_NE(result.Out.find("Pass 1\n"), std::string::npos);
  EXPECT_NE(result.Out.find("\nPass 2\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir / "scratch.tmp"));
  EXPECT_TRUE(ReadWavFormat(dir / "out.wav").has_value());

  const TChildResult missing =
      RunChild(Command({"--twopass", "--tmpfile", dir / "no/such/scratch.tmp"}, dir / "in.wav", dir / "out2.wav"));
  ExpectConverterFailure(missing, "cannot open temporary file.\n", dir / "out2.wav");
}

TEST(TestConverterKnobs, ProgressArrivesThroughThePipeWhileTheConverterStillRuns) {
  TTempDir dir;
  WriteWav(dir / "in.wav", 44100, 16, 2, 441);
  // Ten one-second slices: a converter that buffered its output would show
  // nothing until it ended.
  TChildProcess child(Command({}, dir / "in.wav", dir / "out.wav"), {{"RATEMILL_TC_SLEEP_MS", "10000"}});
  const std::string firstUpdate = child.ReadOutUntil('\r');
  EXPECT_NE(firstUpdate.find("   0% processed\r"), std::string::npos) << firstUpdate;
  // Buffered output would arrive all at once at the end, 100% and all.
  EXPECT_EQ(firstUpdate.find("100% processed"), std::string::npos) << firstUpdate;
  EXPECT_TRUE(child.Running());
  child.Kill();
}

}  // namespace
}  // namespace ratemill::test
