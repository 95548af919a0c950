// The old batch way on Windows: the five-line script is written into the
// program's folder and started by name, so the system runs it through its
// command interpreter; the script's converter call writes the output.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TempDir.h"
#include "WavFixture.h"
#include "frontend/BatchLauncher.h"
#include "platform/FileSystem.h"
#include "platform/ProcessServices.h"

namespace ratemill {
namespace {

TEST(WinBatchLaunch, ScriptStartedByNameRunsTheConverterInItsFolder) {
  test::TTempDir appDir;
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, appDir / "ssrc.exe");
  test::WriteWav(appDir / "in.wav", 44100, 16, 2, 4410);

  const std::string script = appDir / kBatchScriptName;
  const std::string arguments =
      " --rate 48000 --bits 24 \"" + (appDir / "in.wav") + "\" \"" + (appDir / "out.wav") + "\"";
  const std::string content = MakeBatchScript(appDir.Path(), "ssrc.exe ", false, arguments);
  WriteBatchScript(script, content);
  EXPECT_EQ(platform::ReadWholeFile(script), std::optional<std::string>(content));

  const TBatchLaunch launch = MakeBatchLaunch(script, "ssrc.exe  - in.wav", FindTerminal(""));
  EXPECT_EQ(launch.ApplicationName, script);
  EXPECT_EQ(launch.CommandLine, "");

  platform::TSpawnRequest request;
  request.Program = launch.ApplicationName;
  request.CommandLine = launch.CommandLine;
  request.Startup.Title = "ssrc.exe  - in.wav";
  request.Startup.Flags = platform::startf::kUseShowWindow;
  request.Startup.ShowWindow = 1;  // shown normally
  platform::TSpawnedChild child = platform::SpawnProcess(request);
  platform::TStopEvent stop;
  std::uint32_t exitCode = 1234;
  ASSERT_EQ(child.Process->WaitForEndOrStop(stop, exitCode), platform::TWaitOutcome::woEnded);
  platform::WaitForChildrenCollected();

  const auto format = test::ReadWavFormat(appDir / "out.wav");
  ASSERT_TRUE(format.has_value());
  EXPECT_EQ(format->Rate, 48000u);
  EXPECT_EQ(format->Bits, 24u);
}

}  // namespace
}  // namespace ratemill
