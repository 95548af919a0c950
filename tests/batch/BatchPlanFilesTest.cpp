// Planning against the file system itself, on every platform: the data size
// and the formats that planning learns from real sources.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WavFixture.h"
#include "batch/BatchPlan.h"
#include "frontend/arguments/WavHeaderReader.h"

namespace ratemill {
namespace {

TPlanOptions Options48k24() {
  TConversionOptions controls;
  controls.SampleRateIndex = 3;
  controls.SampleRateText = "48000";
  controls.BitsIndex = 3;
  controls.BitsText = "24";
  TPlanOptions options;
  options.Fragments = BuildArgumentFragments(controls);
  options.BitsText = "24";
  options.WholeOutputs = true;
  return options;
}

TEST(BatchPlan, DataSizeFromRealFiles) {
  test::TTempDir dir;
  test::WriteWav(dir / "a.wav", 44100, 16, 2, 1000);
  test::WriteWav(dir / "header-only.wav", 44100, 16, 2, 0);
  const std::vector<std::string> sources{dir / "a.wav", dir / "header-only.wav", dir / "missing.wav", dir.Path()};
  TWavHeaderReader header;
  const auto plan = PlanBatch(sources, Options48k24(), TSystemBatchFiles(), header);
  ASSERT_EQ(plan.size(), 4u);
  const std::vector<std::uint64_t> sizes{4000, 0, 0, 0};
  for (std::size_t i = 0; i < plan.size(); ++i) EXPECT_EQ(plan[i].DataSize, sizes[i]) << sources[i];
  EXPECT_FALSE(plan[3].SkipReason.empty());
}

// What the output must be (the chosen rate and bits, 0 where kept) and what
// its name says it is (the source's own where kept).
TEST(BatchPlan, ChosenAndNamedFormats) {
  test::TTempDir dir;
  struct TCase {
    std::string Name;
    int RateIndex;
    std::string RateText;
    int BitsIndex;
    std::string BitsText;
    std::uint16_t SourceBits;
    TWavFormat Chosen, Named;
    std::string OutputName;
  };
  const std::vector<TCase> cases{
      {"both chosen", 3, "48000", 3, "24", 16, {48000, 24}, {48000, 24}, "a_48-24.wav"},
      {"rate kept", 0, "", 2, "16", 24, {0, 16}, {44100, 16}, "a_44-16.wav"},
      {"bits kept", 5, "96000", 0, "nicht ändern", 24, {96000, 0}, {96000, 24}, "a_96-24.wav"},
      // The real converter writes 16 bits here; the name says 8.
      {"8 bits kept", 5, "96000", 0, "nicht ändern", 8, {96000, 0}, {96000, 8}, "a_96-8.wav"},
      {"both kept", 0, "", 0, "nicht ändern", 16, {0, 0}, {44100, 16}, "a_44-16.wav"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string source = dir / "a.wav";
    test::WriteWav(source, 44100, c.SourceBits, 2, 10);
    TConversionOptions controls;
    controls.SampleRateIndex = c.RateIndex;
    controls.SampleRateText = c.RateText;
    controls.BitsIndex = c.BitsIndex;
    controls.BitsText = c.BitsText;
    TPlanOptions options;
    options.Fragments = BuildArgumentFragments(controls);
    options.BitsText = c.BitsText;
    options.WholeOutputs = true;
    TWavHeaderReader header;
    const auto plan = PlanBatch({source}, options, TSystemBatchFiles(), header);
    ASSERT_EQ(plan.size(), 1u);
    const TBatchJob& job = plan[0].Job;
    EXPECT_EQ(job.Output, dir / c.OutputName);
    EXPECT_EQ(job.Chosen.SampleRate, c.Chosen.SampleRate);
    EXPECT_EQ(job.Chosen.BitsPerSample, c.Chosen.BitsPerSample);
    EXPECT_EQ(job.Named.SampleRate, c.Named.SampleRate);
    EXPECT_EQ(job.Named.BitsPerSample, c.Named.BitsPerSample);
    EXPECT_EQ(header.ReadCount(), c.RateIndex == 0 || c.BitsIndex == 0 ? 1 : 0);
  }
}

// A source whose header cannot be read is named after the last header read;
// what the name says is then that header's format, as the name is.
TEST(BatchPlan, NamedFollowsTheNameWhenAHeaderCannotBeRead) {
  test::TTempDir dir;
  test::WriteWav(dir / "a.wav", 22050, 8, 1, 10);
  test::WriteFile(dir / "b.wav", "RIFF");
  TConversionOptions controls;
  controls.SampleRateIndex = 0;
  controls.BitsIndex = 0;
  TPlanOptions options;
  options.Fragments = BuildArgumentFragments(controls);
  options.BitsText = "nicht ändern";
  TWavHeaderReader header;
  const auto plan = PlanBatch({dir / "a.wav", dir / "b.wav"}, options, TSystemBatchFiles(), header);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[1].Job.Output, dir / "b_22-8.wav");
  EXPECT_FALSE(plan[1].HeaderProblem.empty());
  EXPECT_EQ(plan[1].Job.Named.SampleRate, 22050);
  EXPECT_EQ(plan[1].Job.Named.BitsPerSample, 8);
  EXPECT_EQ(plan[1].Job.Chosen.SampleRate, 0);
  EXPECT_EQ(plan[1].Job.Chosen.BitsPerSample, 0);
}

}  // namespace
}  // namespace ratemill
