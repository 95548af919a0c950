#include "frontend/arguments/ConverterArguments.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "frontend/arguments/WavHeaderReader.h"
#include "platform/CommandLine.h"
#include "platform/FileSystem.h"

namespace ratemill {
namespace {

// Every control neutral: both lists on the item that keeps the source's value.
TConversionOptions Neutral() {
  TConversionOptions o;
  o.SampleRateIndex = 0;
  o.SampleRateText = "wie Quelle";
  o.BitsIndex = 0;
  o.BitsText = "wie Quelle";
  o.AttenuationText = "0";
  o.DitherIndex = 2;
  o.NoiseText = "default";
  return o;
}

const std::string Paths = R"( "/in/a.wav" "/out/a.wav")";

struct TOptionsCase {
  const char* Description;
  std::function<void(TConversionOptions&)> Change;
  std::string Expected;  // the whole argument string
};

TEST(BuildArgumentFragments, EachControlGivesItsFragmentInFixedOrder) {
  const std::vector<TOptionsCase> cases = {
      {"all neutral still dithers", [](TConversionOptions&) {}, " --dither 2" + Paths},
      {"rate chosen", [](TConversionOptions& o) { o.SampleRateIndex = 3, o.SampleRateText = "48000"; },
       " --rate 48000 --dither 2" + Paths},
      {"bits chosen", [](TConversionOptions& o) { o.BitsIndex = 1, o.BitsText = "8"; }, " --bits 8 --dither 2" + Paths},
      {"attenuation 00 is not 0", [](TConversionOptions& o) { o.AttenuationText = "00"; },
       " --att 00 --dither 2" + Paths},
      {"attenuation with a leading blank", [](TConversionOptions& o) { o.AttenuationText = " 0"; },
       " --att  0 --dither 2" + Paths},
      {"empty attenuation", [](TConversionOptions& o) { o.AttenuationText = ""; }, " --att  --dither 2" + Paths},
      {"attenuation passed unchanged", [](TConversionOptions& o) { o.AttenuationText = "-3,5"; },
       " --att -3,5 --dither 2" + Paths},
      {"two-pass", [](TConversionOptions& o) { o.TwoPass = true; }, " --twopass --dither 2" + Paths},
      {"normalize", [](TConversionOptions& o) { o.Normalize = true; }, " --normalize --dither 2" + Paths},
      {"dither 0", [](TConversionOptions& o) { o.DitherIndex = 0; }, " --dither 0" + Paths},
      {"dither 4", [](TConversionOptions& o) { o.DitherIndex = 4; }, " --dither 4" + Paths},
      {"noise item 0 is a value", [](TConversionOptions& o) { o.NoiseText = "0"; }, " --dither 2 --pdf 0" + Paths},
      {"noise 2", [](TConversionOptions& o) { o.NoiseText = "2"; }, " --dither 2 --pdf 2" + Paths},
      {"fast profile", [](TConversionOptions& o) { o.Fast = true; }, " --dither 2 --profile fast" + Paths},
      {"temp file with blanks stays one quoted argument",
       [](TConversionOptions& o) { o.TempFile = true, o.TempFileName = "/tmp/my temp/x.tmp"; },
       R"( --dither 2 --tmpfile "/tmp/my temp/x.tmp")" + Paths},
      {"temp file name ignored while the box is off", [](TConversionOptions& o) { o.TempFileName = "/tmp/x.tmp"; },
       " --dither 2" + Paths},
      {"everything on, in table order",
       [](TConversionOptions& o) {
         o.SampleRateIndex = 5, o.SampleRateText = "96000", o.BitsIndex = 3, o.BitsText = "24";
         o.AttenuationText = "1.5", o.TwoPass = true, o.Normalize = true, o.DitherIndex = 3;
         o.NoiseText = "1", o.Fast = true, o.TempFile = true, o.TempFileName = "/t/x";
       },
       R"( --rate 96000 --bits 24 --att 1.5 --twopass --normalize --dither 3 --pdf 1)"
       R"( --profile fast --tmpfile "/t/x")" +
           Paths},
      // Without a selection a bare "--rate" would swallow the input path.
      {"rate and bits lists without a selection keep the source's values",
       [](TConversionOptions& o) { o.SampleRateIndex = -1, o.SampleRateText = "", o.BitsIndex = -1, o.BitsText = ""; },
       " --dither 2" + Paths},
      {"noise list without a selection gives no bare --pdf", [](TConversionOptions& o) { o.NoiseText = ""; },
       " --dither 2" + Paths},
  };
  for (const auto& c : cases) {
    TConversionOptions options = Neutral();
    c.Change(options);
    const TArgumentFragments f = BuildArgumentFragments(options);
    EXPECT_EQ(ComposeArguments(f, "/in/a.wav", "/out/a.wav"), c.Expected) << c.Description;
  }
}

TEST(BuildArgumentFragments, ConverterNameFollowsHPBoxAndMode) {
  struct {
    bool UseHP, Capture;
    const char* Expected;
  } const cases[] = {
      {false, true, "ssrc.exe"},
      {false, false, "ssrc.exe "},
      // The box may be checked while hidden (restored from the settings).
      {true, true, "ssrc_hp.exe"},
      {true, false, "ssrc_hp.exe "},
  };
  for (const auto& c : cases) {
    TConversionOptions options = Neutral();
    options.UseHP = c.UseHP;
    options.CaptureOutput = c.Capture;
    EXPECT_EQ(BuildArgumentFragments(options).ConverterName, c.Expected)
        << "HP " << c.UseHP << " capture " << c.Capture;
  }
}

TEST(BuildArgumentFragments, KeepFlagsAndChosenKHz) {
  struct {
    int RateIndex;
    const char* RateText;
    int BitsIndex;
    bool KeepRate, KeepBits;
    const char* KHz;
  } const cases[] = {
      {0, "wie Quelle", 0, true, true, ""}, {1, "8000", 2, false, false, "8"},    {2, "11025", 0, false, true, "11"},
      {3, "32000", 0, false, true, "32"},   {4, "44100", 1, false, false, "44"},  {5, "48000", 0, false, true, "48"},
      {6, "96000", 0, false, true, "96"},   {7, "192000", 0, false, true, "192"}, {0, "48000", 3, true, false, ""},
  };
  for (const auto& c : cases) {
    TConversionOptions options = Neutral();
    options.SampleRateIndex = c.RateIndex;
    options.SampleRateText = c.RateText;
    options.BitsIndex = c.BitsIndex;
    options.BitsText = "16";
    const TArgumentFragments f = BuildArgumentFragments(options);
    EXPECT_EQ(f.KeepRate, c.KeepRate) << c.RateText;
    EXPECT_EQ(f.KeepBits, c.KeepBits) << c.RateText;
    EXPECT_EQ(f.ChosenKHz, c.KHz) << c.RateText;
  }
}

TArgumentFragments Chosen(const std::string& rate) {
  TConversionOptions options = Neutral();
  options.SampleRateIndex = 1;
  options.SampleRateText = rate;
  options.BitsIndex = 1;
  options.BitsText = "24";
  return BuildArgumentFragments(options);
}

TEST(MakeOutputPath, NamesFromChosenRateAndBitsWithoutReadingTheSource) {
  struct {
    const char* Source;
    const char* OutputFolder;
    const char* Expected;
  } const cases[] = {
      {"/in/a.wav", "", "/in/a_48-24.wav"},
      {"/in/a.wav", "/out/", "/out/a_48-24.wav"},
      {"/in/a.aiff", "", "/in/a._48-24.wav"},  // four-letter extension: four characters go
      {"/in/ab.au", "", "/in/a_48-24.wav"},    // two-letter one: a name character goes too
      {"/in/x.wa", "", "/in/_48-24.wav"},      // exactly four characters: only the suffix
      {"/in/abc", "", "/in/abc_48-24.wav"},    // fewer than four: nothing removed
      {"/in/my take.wav", "/out dir/", "/out dir/my take_48-24.wav"},
      {"a.wav", "", "a_48-24.wav"},              // no folder part at all
      {"/in.d/a.wav", "", "/in.d/a_48-24.wav"},  // a dot in the folder is not the name's
  };
  // The cases are written with '/'; each platform's own delimiter stands in.
  auto native = [](std::string path) {
    std::replace(path.begin(), path.end(), '/', platform::PathDelim);
    return path;
  };
  const TArgumentFragments f = Chosen("48000");
  for (const auto& c : cases) {
    // Nothing of the source is read: it does not even exist.
    TWavHeaderReader header;
    EXPECT_EQ(MakeOutputPath(native(c.Source), native(c.OutputFolder), f, "24", header), native(c.Expected))
        << c.Source;
    EXPECT_EQ(header.ReadCount(), 0) << c.Source;
  }
}

std::string WavHeader(std::int32_t rate, std::uint16_t bits) {
  std::string h(44, '\0');
  h.replace(0, 4, "RIFF");
  h.replace(8, 8, "WAVEfmt ");
  const auto r = static_cast<std::uint32_t>(rate);
  for (int i = 0; i < 4; ++i) h[24 + i] = static_cast<char>(r >> (8 * i));
  h[34] = static_cast<char>(bits & 0xFF);
  h[35] = static_cast<char>(bits >> 8);
  return h + "data";
}

TEST(MakeOutputPath, KeptValuesComeFromTheSourceHeaderReadOnce) {
  struct {
    const char* Description;
    int RateIndex;
    const char* RateText;
    int BitsIndex;
    std::int32_t FileRate;
    std::uint16_t FileBits;
    const char* ExpectedName;
  } const cases[] = {
      {"both kept", 0, "", 0, 44100, 16, "a_44-16.wav"},
      {"rate chosen, bits kept", 6, "96000", 0, 44100, 24, "a_96-24.wav"},
      {"bits chosen, rate kept", 0, "", 2, 22050, 24, "a_22-16.wav"},
      {"192 kHz", 0, "", 0, 192000, 24, "a_192-24.wav"},
      {"8 kHz", 0, "", 0, 8000, 8, "a_8-8.wav"},
      {"11025 Hz truncates", 0, "", 0, 11025, 16, "a_11-16.wav"},
      {"below 1 kHz", 0, "", 0, 999, 16, "a_0-16.wav"},
      {"rate field negative", 0, "", 0, -44100, 16, "a_-44-16.wav"},
      {"bits field read unsigned", 0, "", 0, 48000, 65535, "a_48-65535.wav"},
  };
  test::TTempDir dir;
  for (const auto& c : cases) {
    test::WriteFile(dir / "a.wav", WavHeader(c.FileRate, c.FileBits));
    TConversionOptions options = Neutral();
    options.SampleRateIndex = c.RateIndex;
    options.SampleRateText = c.RateText;
    options.BitsIndex = c.BitsIndex;
    options.BitsText = "16";
    const TArgumentFragments f = BuildArgumentFragments(options);
    TWavHeaderReader header;
    EXPECT_EQ(MakeOutputPath(dir / "a.wav", "", f, "16", header), dir / c.ExpectedName) << c.Description;
    EXPECT_EQ(header.ReadCount(), 1) << c.Description;
  }
}

TEST(MakeOutputPath, NoHeaderReadWithoutAKeepFlag) {
  test::TTempDir dir;
  test::WriteFile(dir / "first.wav", WavHeader(44100, 16));
  test::WriteFile(dir / "second.wav", WavHeader(96000, 24));
  TWavHeaderReader header;
  TConversionOptions keep = Neutral();
  const TArgumentFragments keepBoth = BuildArgumentFragments(keep);

  ASSERT_EQ(MakeOutputPath(dir / "first.wav", "", keepBoth, "", header), dir / "first_44-16.wav");
  // Rate and bits chosen: second.wav must not reach the buffer...
  EXPECT_EQ(MakeOutputPath(dir / "second.wav", "", Chosen("48000"), "24", header), dir / "second_48-24.wav");
  // ...which an unreadable file then shows: the buffer still holds first.wav.
  EXPECT_EQ(MakeOutputPath(dir / "gone.wav", "", keepBoth, "", header), dir / "gone_44-16.wav");
  EXPECT_EQ(header.ReadCount(), 2);
}

TEST(ComposeArguments, ExampleStringAndDebugText) {
  TConversionOptions options = Neutral();
  options.SampleRateIndex = 5;
  options.SampleRateText = "48000";
  options.BitsIndex = 3;
  options.BitsText = "24";
  options.TwoPass = true;
  options.DitherIndex = 2;
  TWavHeaderReader header;
  TArgumentFragments f = BuildArgumentFragments(options);
  const std::string output = MakeOutputPath("/in/a.wav", "", f, "24", header);
  const std::string args = ComposeArguments(f, "/in/a.wav", output);
  EXPECT_EQ(args, R"( --rate 48000 --bits 24 --twopass --dither 2 "/in/a.wav" "/in/a_48-24.wav")");
  EXPECT_EQ(DebugText(f, args), "ssrc.exe" + args);

  options.CaptureOutput = false;
  options.UseHP = true;
  f = BuildArgumentFragments(options);
  EXPECT_EQ(DebugText(f, args), "ssrc_hp.exe " + args);  // two blanks in batch mode
}

TEST(QuoteForConverter, QuotesPlainPathsPlainlyAndEscapesOnlyWhereNeeded) {
  struct {
    const char* Text;
    const char* Quoted;
  } const cases[] = {
      {"/in/a.wav", R"("/in/a.wav")"},
      {R"(C:\in\a.wav)", R"("C:\in\a.wav")"},  // inner backslashes stay single
      {"/my dir/a b.wav", R"("/my dir/a b.wav")"},
      {"", R"("")"},
      {R"(x"y)", R"("x\"y")"},
      {R"(a\"b)", R"("a\\\"b")"},
      {R"(dir\)", R"("dir\\")"},
      {R"(dir\\)", R"("dir\\\\")"},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteForConverter(c.Text), c.Quoted) << c.Text;
}

// A name may hold anything but "/" and NUL on POSIX; whatever it holds, the
// converter must get exactly two paths and no extra options.
TEST(ComposeArguments, PathsSplitBackIntoTheOriginalArguments) {
  const char* const paths[] = {
      "/in/a.wav",
      "/in/with blank/a b.wav",
      R"(/in/x" --rate 8000 "y.wav)",
      R"(/in/"quoted".wav)",
      R"(/in/back\slash.wav)",
      R"(/in/ends in backslash\)",
      R"(/in/two\\"before quote.wav)",
      R"(/in/"")",
      "/in/tab\there.wav",
      "/in/it's.wav",
  };
  for (const char* source : paths) {
    TConversionOptions options = Neutral();
    options.TempFile = true;
    options.TempFileName = source;
    const std::string output = std::string(source) + "_out";
    const std::string args = ComposeArguments(BuildArgumentFragments(options), source, output);
    const std::vector<std::string> expected = {"--dither", "2", "--tmpfile", source, source, output};
    EXPECT_EQ(platform::SplitCommandLine(args), expected) << args;
    EXPECT_EQ(args.front(), ' ');
    EXPECT_NE(args.back(), ' ');
  }
}

}  // namespace
}  // namespace ratemill
