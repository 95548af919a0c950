// Planning a run: output names, argument strings, existing and duplicate
// outputs, sources that are no regular files, and what crashed runs left.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"
#include "WavFixture.h"
#include "batch/BatchPlan.h"
#include "batch/WholeOutput.h"
#include "frontend/arguments/WavHeaderReader.h"

namespace ratemill {
namespace {

using platform::TFileKind;

// File-system facts as a test states them; anything not named is missing.
class TStatedFiles : public IBatchFiles {
 public:
  TFileKind Kind(const std::string& path) const override {
    ++Looks[path];
    const auto it = Kinds.find(path);
    return it == Kinds.end() ? TFileKind::fkMissing : it->second;
  }
  platform::TFileFacts Facts(const std::string& path) const override {
    platform::TFileFacts facts;
    facts.Kind = Kind(path);
    if (const auto it = Sizes.find(path); it != Sizes.end()) facts.Size = it->second;
    return facts;
  }
  std::vector<std::string> Names(const std::string& folder) const override {
    ++NamesAsked[folder];
    const auto it = Folders.find(folder);
    return it == Folders.end() ? std::vector<std::string>{} : it->second;
  }
  std::map<std::string, TFileKind> Kinds;
  std::map<std::string, std::uint64_t> Sizes;
  std::map<std::string, std::vector<std::string>> Folders;
  mutable std::map<std::string, int> NamesAsked;
  // How often each path's facts were asked for.
  mutable std::map<std::string, int> Looks;
};

TPlanOptions Options48k24(const std::string& folder, bool wholeOutputs) {
  TConversionOptions controls;
  controls.SampleRateIndex = 3;
  controls.SampleRateText = "48000";
  controls.BitsIndex = 3;
  controls.BitsText = "24";
  TPlanOptions options;
  options.Fragments = BuildArgumentFragments(controls);
  options.BitsText = "24";
  options.OutputFolder = folder;
  options.WholeOutputs = wholeOutputs;
  options.ProcessId = 4242;
  return options;
}

TEST(BatchPlan, WholeOutputsWriteAHiddenTemporaryFileBesideTheOutput) {
  TStatedFiles files;
  files.Kinds["/in/a.wav"] = TFileKind::fkRegular;
  TWavHeaderReader header;
  const auto plan = PlanBatch({"/in/a.wav"}, Options48k24("/out/", true), files, header);

  ASSERT_EQ(plan.size(), 1u);
  const TPlannedEntry& entry = plan[0];
  EXPECT_EQ(entry.Job.Output, "/out/a_48-24.wav");
  EXPECT_EQ(entry.Job.TempOutput, "/out/.a_48-24.wav.ratemill-part-4242-1");
  EXPECT_EQ(entry.Job.Title, "ssrc.exe - a.wav");
  // The converter writes the temporary file; debug mode shows the real name.
  EXPECT_EQ(entry.Arguments,
            " --rate 48000 --bits 24 --dither 2 \"/in/a.wav\" \"/out/.a_48-24.wav.ratemill-part-4242-1\"");
  EXPECT_EQ(entry.OutputArguments, " --rate 48000 --bits 24 --dither 2 \"/in/a.wav\" \"/out/a_48-24.wav\"");
  EXPECT_EQ(header.ReadCount(), 0);
}

TEST(BatchPlan, WithoutWholeOutputsTheConverterWritesTheOutputItself) {
  TStatedFiles files;
  TWavHeaderReader header;
  const auto plan = PlanBatch({"/in/a.wav"}, Options48k24("", false), files, header);

  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].Job.Output, "/in/a_48-24.wav");
  EXPECT_TRUE(plan[0].Job.TempOutput.empty());
  EXPECT_EQ(plan[0].Arguments, plan[0].OutputArguments);
  EXPECT_TRUE(files.NamesAsked.empty());  // no temporary files, so no leftovers looked for
}

TEST(BatchPlan, ExistingAndDuplicateOutputs) {
  TStatedFiles files;
  for (const char* source : {"/in/a.wav", "/in/b.wav", "/other/a.wav"}) files.Kinds[source] = TFileKind::fkRegular;
  files.Kinds["/out/b_48-24.wav"] = TFileKind::fkRegular;
  // A folder at the output's place is not an output that exists.
  files.Kinds["/out/c_48-24.wav"] = TFileKind::fkFolder;
  TWavHeaderReader header;
  const auto plan = PlanBatch({"/in/a.wav", "/in/b.wav", "/other/a.wav", "/in/c.wav", "/in/a.wav"},
                              Options48k24("/out/", true), files, header);

  ASSERT_EQ(plan.size(), 5u);
  const std::vector<bool> exists{false, true, false, false, false};
  const std::vector<int> before{-1, -1, 0, -1, 2};
  for (std::size_t i = 0; i < plan.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(plan[i].OutputExists, exists[i]);
    EXPECT_EQ(plan[i].SameOutputBefore, before[i]);
  }
  // Each entry has a temporary file of its own, also with one output.
  EXPECT_NE(plan[0].Job.TempOutput, plan[2].Job.TempOutput);
  EXPECT_NE(plan[2].Job.TempOutput, plan[4].Job.TempOutput);
  EXPECT_EQ(files.NamesAsked["/out/"], 1);
}

TEST(BatchPlan, SourcesThatAreNoRegularFilesAreMarkedAndNeverRead) {
  struct TCase {
    TFileKind Kind;
    bool Skipped;
    std::string ReasonPart;
  };
  const std::vector<TCase> cases{
      {TFileKind::fkRegular, false, ""},
      // The converter reports a missing source itself, as it always has.
      {TFileKind::fkMissing, false, ""},
      {TFileKind::fkFifo, true, "FIFO"},
      {TFileKind::fkDevice, true, "device"},
      {TFileKind::fkFolder, true, "folder"},
      {TFileKind::fkSocket, true, "socket"},
      {TFileKind::fkOther, true, "not a regular file"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Kind));
    TStatedFiles files;
    files.Kinds["/in/x.wav"] = c.Kind;
    TPlanOptions options = Options48k24("/out/", true);
    // The rate kept: a convertible source has its header read for the name.
    TConversionOptions controls;
    controls.SampleRateIndex = 0;
    controls.BitsIndex = 3;
    controls.BitsText = "24";
    options.Fragments = BuildArgumentFragments(controls);
    TWavHeaderReader header;
    const auto plan = PlanBatch({"/in/x.wav"}, options, files, header);
    ASSERT_EQ(plan.size(), 1u);
    EXPECT_EQ(!plan[0].SkipReason.empty(), c.Skipped);
    EXPECT_NE(plan[0].SkipReason.find(c.ReasonPart), std::string::npos) << plan[0].SkipReason;
    EXPECT_EQ(header.ReadCount(), c.Skipped ? 0 : 1);
    if (c.Skipped) {
      EXPECT_TRUE(plan[0].Job.Output.empty());
      EXPECT_TRUE(plan[0].Arguments.empty());
    }
  }
}

// A real FIFO with the rate kept: planning must name it without opening it.
// Were it opened, the plan would wait for a writer; the guard then plays
// that writer so the test ends and fails instead of hanging.
TEST(BatchPlan, ARealFifoIsPlannedWithoutBlocking) {
  test::TTempDir dir;
  const std::string fifo = dir / "a.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string regular = dir / "b.wav";
  test::WriteWav(regular, 44100, 16, 2, 10);
  TPlanOptions options = Options48k24("", true);
  TConversionOptions controls;
  controls.SampleRateIndex = 0;
  controls.BitsIndex = 0;
  controls.BitsText = "nicht ändern";
  options.Fragments = BuildArgumentFragments(controls);
  options.BitsText = "nicht ändern";

  auto planned = std::async(std::launch::async, [&] {
    TWavHeaderReader header;
    return PlanBatch({fifo, regular}, options, TSystemBatchFiles(), header);
  });
  if (planned.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
    FAIL() << "planning opened the FIFO";
  }
  const auto plan = planned.get();
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_NE(plan[0].SkipReason.find("FIFO"), std::string::npos);
  EXPECT_TRUE(plan[1].SkipReason.empty());
  EXPECT_EQ(plan[1].Job.Output, dir / "b_44-16.wav");
}

TEST(BatchPlan, LeftoversOfEarlierRunsForTheSameOutputAreFound) {
  TStatedFiles files;
  files.Kinds["/in/a.wav"] = TFileKind::fkRegular;
  files.Folders["/out/"] = {".a_48-24.wav.ratemill-part-12-3",  // ours, another run
                            ".a_48-24.wav.ratemill-part-4242-1",
                            ".a_48-24.wav.ratemill-part-12-x",  // not our pattern
                            ".a_48-24.wav.ratemill-part-12",
                            ".b_48-24.wav.ratemill-part-1-1",  // another output's
                            "a_48-24.wav",
                            ".a_48-24.wav"};
  TWavHeaderReader header;
  const auto plan = PlanBatch({"/in/a.wav"}, Options48k24("/out/", true), files, header);
  ASSERT_EQ(plan.size(), 1u);
  EXPECT_EQ(plan[0].Job.Leftovers, (std::vector<std::string>{"/out/.a_48-24.wav.ratemill-part-12-3",
                                                             "/out/.a_48-24.wav.ratemill-part-4242-1"}));
}

// The source's data size weighs it in the run's progress; it comes with the
// one look that planning takes at the source anyway.
TEST(BatchPlan, DataSizeIsTheSourceLessItsHeader) {
  TStatedFiles files;
  files.Kinds = {{"/in/a.wav", TFileKind::fkRegular},
                 {"/in/header-only.wav", TFileKind::fkRegular},
                 {"/in/short.wav", TFileKind::fkRegular},
                 {"/in/big.wav", TFileKind::fkRegular},
                 {"/in/fifo.wav", TFileKind::fkFifo}};
  files.Sizes = {
      {"/in/a.wav", 1044}, {"/in/header-only.wav", 44}, {"/in/short.wav", 10}, {"/in/big.wav", 6'000'000'044}};
  TWavHeaderReader header;
  const auto plan =
      PlanBatch({"/in/a.wav", "/in/header-only.wav", "/in/short.wav", "/in/big.wav", "/in/fifo.wav", "/in/missing.wav"},
                Options48k24("/out/", true), files, header);
  ASSERT_EQ(plan.size(), 6u);
  const std::vector<std::uint64_t> sizes{1000, 0, 0, 6'000'000'000, 0, 0};
  for (std::size_t i = 0; i < plan.size(); ++i) {
    EXPECT_EQ(plan[i].DataSize, sizes[i]) << plan[i].Job.Source;
    EXPECT_EQ(files.Looks[plan[i].Job.Source], 1) << plan[i].Job.Source;
  }
}

// A canonical header made by hand, with the fmt chunk's length, rate and bits
// as given.
std::string Header(std::uint32_t fmtLength, std::uint32_t rate, std::uint16_t bits) {
  std::string h = std::string("RIFF\x24\0\0\0WAVEfmt ", 16);
  for (int i = 0; i < 4; ++i) h += static_cast<char>(fmtLength >> (8 * i));
  h += std::string("\x01\0\x02\0", 4);
  for (int i = 0; i < 4; ++i) h += static_cast<char>(rate >> (8 * i));
  h += std::string(6, '\0');
  h += static_cast<char>(bits);
  h += static_cast<char>(bits >> 8);
  return h + std::string("data\0\0\0\0", 8);
}

// The output's format is read from its fmt chunk wherever that stands near
// the start; anything that gives no rate and bits is no readable header.
TEST(WholeOutput, WavHeaderCheck) {
  test::TTempDir dir;
  struct TCase {
    std::string Name;
    std::string Content;  // "<wav>", "<list first>", "<extensible>": real WAV files
    std::optional<TWavFormat> Format;
  };
  const std::vector<TCase> cases{
      {"wav", "<wav>", TWavFormat{48000, 24}},
      {"a tag chunk before the fmt chunk", "<list first>", TWavFormat{22050, 16}},
      {"extensible", "<extensible>", TWavFormat{96000, 24}},
      {"made by hand", Header(16, 44100, 16), TWavFormat{44100, 16}},
      {"empty", "", {}},
      {"text", "this is no WAV file, but it is longer than a header would be\n", {}},
      {"header cut short", std::string("RIFF\x24\0\0\0WAVEfmt ", 16), {}},
      {"fmt chunk cut short", Header(16, 44100, 16).substr(0, 30), {}},
      {"fmt chunk too small to hold the bits", Header(12, 44100, 16), {}},
      {"rate 0", Header(16, 0, 16), {}},
      {"bits 0", Header(16, 44100, 0), {}},
      {"no fmt chunk", std::string("RIFF\x24\0\0\0WAVEdata\0\0\0\0", 20) + std::string(40, '\0'), {}},
      {"RIFF of another kind", std::string("RIFF\x24\0\0\0AVI ", 12) + std::string(40, '\0'), {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir / c.Name;
    if (c.Content == "<wav>")
      test::WriteWav(path, 48000, 24, 2, 10);
    else if (c.Content == "<list first>")
      test::WriteWav(path, 22050, 16, 2, 10, test::TWavLayout{1, false, true});
    else if (c.Content == "<extensible>")
      test::WriteWav(path, 96000, 24, 2, 10, test::TWavLayout{1, true, false});
    else
      test::WriteFile(path, c.Content);
    const auto format = ReadOutputFormat(path);
    ASSERT_EQ(format.has_value(), c.Format.has_value());
    if (format) {
      EXPECT_EQ(format->SampleRate, c.Format->SampleRate);
      EXPECT_EQ(format->BitsPerSample, c.Format->BitsPerSample);
    }
    EXPECT_EQ(HasWavHeader(path), c.Format.has_value());
  }
  for (const std::string& path : {dir / "missing", dir.Path()}) {
    EXPECT_FALSE(ReadOutputFormat(path).has_value()) << path;
    EXPECT_FALSE(HasWavHeader(path)) << path;
  }
}

}  // namespace
}  // namespace ratemill
