#include "frontend/arguments/BatchScript.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "TempDir.h"
#include "frontend/arguments/ConverterArguments.h"

namespace ratemill {
namespace {

TEST(MakeBatchScriptWin, FiveLinesWithCrLf) {
  const std::string args = R"( --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")";
  const std::string longFolder = "\\" + std::string(300, 'f') + "\\";
  struct {
    const char* Description;
    std::string AppDir;
    const char* Name;
    bool HP;
    std::string Expected;
  } const cases[] = {
      {"plain", R"(C:\Programme\Ratemill\)", "ssrc.exe ", false,
       "@echo off\r\nC:\r\n"
       R"(cd "\Programme\Ratemill\")"
       "\r\n"
       R"(echo ssrc  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"
       R"(ssrc.exe  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"},
      {"folder with blanks, high precision", R"(D:\My Tools\Rate mill\)", "ssrc_hp.exe ", true,
       "@echo off\r\nD:\r\n"
       R"(cd "\My Tools\Rate mill\")"
       "\r\n"
       R"(echo ssrc_hp  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"
       R"(ssrc_hp.exe  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"},
      // The echo follows the box as it is now, the call the run's converter.
      {"box changed during the run", R"(C:\R\)", "ssrc.exe ", true,
       "@echo off\r\nC:\r\n"
       R"(cd "\R\")"
       "\r\n"
       R"(echo ssrc_hp  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"
       R"(ssrc.exe  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"},
      {"network folder: its first two characters stand for the drive", R"(\\server\share\)", "ssrc.exe ", false,
       "@echo off\r\n\\\\\r\n"
       R"(cd "server\share\")"
       "\r\n"
       R"(echo ssrc  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"
       R"(ssrc.exe  --dither 2 "C:\in\a.wav" "C:\in\a_44-16.wav")"
       "\r\n"},
      {"folder cut after 255 characters", "C:" + longFolder, "ssrc.exe ", false,
       "@echo off\r\nC:\r\ncd \"" + longFolder.substr(0, 255) + "\"\r\n" + "echo ssrc " + args + "\r\nssrc.exe " +
           args + "\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(MakeBatchScriptWin(c.AppDir, c.Name, c.HP, args), c.Expected) << c.Description;
}

TEST(MakeBatchScriptPosix, ShellQuotesFolderEchoAndEachArgument) {
  struct {
    const char* Description;
    const char* AppDir;
    const char* Name;
    bool HP;
    const char* Arguments;
    const char* Expected;
  } const cases[] = {
      {"plain", "/opt/ratemill/", "ssrc.exe ", false, R"( --dither 2 "/in/a.wav" "/in/a_44-16.wav")",
       "#!/bin/sh\n"
       "cd '/opt/ratemill/' || exit 1\n"
       R"(printf '%s\n' 'ssrc  --dither 2 "/in/a.wav" "/in/a_44-16.wav"')"
       "\n"
       R"('./ssrc.exe' '--dither' '2' '/in/a.wav' '/in/a_44-16.wav')"
       "\n"},
      {"folder with blanks and a single quote, high precision", "/opt/o'neil's tools/", "ssrc_hp.exe ", true,
       R"( --dither 2 "/in/a b.wav" "/in/a b_44-16.wav")",
       "#!/bin/sh\n"
       R"(cd '/opt/o'\''neil'\''s tools/' || exit 1)"
       "\n"
       R"(printf '%s\n' 'ssrc_hp  --dither 2 "/in/a b.wav" "/in/a b_44-16.wav"')"
       "\n"
       R"('./ssrc_hp.exe' '--dither' '2' '/in/a b.wav' '/in/a b_44-16.wav')"
       "\n"},
      {"path with an escaped quote", "/r/", "ssrc.exe ", false, R"( --dither 2 "/in/x\" --rate 8000 \"y.wav" "/o.wav")",
       "#!/bin/sh\n"
       "cd '/r/' || exit 1\n"
       R"(printf '%s\n' 'ssrc  --dither 2 "/in/x\" --rate 8000 \"y.wav" "/o.wav"')"
       "\n"
       R"('./ssrc.exe' '--dither' '2' '/in/x" --rate 8000 "y.wav' '/o.wav')"
       "\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MakeBatchScriptPosix(c.AppDir, c.Name, c.HP, c.Arguments), c.Expected) << c.Description;
}

// Runs `script` with /bin/sh and returns what it printed; fails the test when
// the shell does not end with status 0.
std::string RunScript(const std::string& script) {
  const std::string command = "/bin/sh '" + script + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "popen failed";
    return {};
  }
  std::string output;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  const int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  return output;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

// The script is run for real against a stand-in converter that reports its
// folder and its arguments one per line.
TEST(MakeBatchScriptPosix, ConverterReceivesTheSameArgumentsAsAStartedOne) {
  test::TTempDir dir;
  const std::string appDir = dir / "prog 'dir' $x/";
  ASSERT_EQ(mkdir(appDir.c_str(), 0755), 0);
  test::WriteFile(appDir + "ssrc.exe",
                  "#!/bin/sh\n"
                  "printf 'cwd=%s\\n' \"$(pwd)\"\n"
                  "for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done\n");
  ASSERT_EQ(chmod((appDir + "ssrc.exe").c_str(), 0755), 0);
  const std::string cwd = "cwd=" + appDir.substr(0, appDir.size() - 1);

  struct {
    const char* Source;
    const char* Output;
  } const cases[] = {
      {"/in/a.wav", "/out/a_44-16.wav"},
      {R"(/in/x" --rate 8000 "y.wav)", R"(/in/x" --rate 8000 "y_44-16.wav)"},
      {"/in/it's $HOME `true` ; | & * ?.wav", "/in/o.wav"},
      {R"(/in/back\slash\)", R"(/in/two\\"q.wav)"},
      {"/in/  two  blanks  .wav", "/in/-n.wav"},
      // Bytes that are no UTF-8, and U+FFFD itself, reach the converter unchanged.
      {"/in/\xff.wav", "/out \xe4/\xff_44-16.wav"},
      {"/in/\xef\xbf\xbd.wav", "/out/\xef\xbf\xbd_44-16.wav"},
      {"/in/\xff\xfe-latin1-\xe4.wav", "/out/\xff\xfe-latin1-\xe4_44-16.wav"},
      {"/in/line\nbreak.wav", "/out/line\nbreak_44-16.wav"},
  };
  for (const auto& c : cases) {
    TConversionOptions options;
    options.SampleRateIndex = 0;
    options.BitsIndex = 0;
    options.CaptureOutput = false;
    options.TempFile = true;
    options.TempFileName = "/tmp/t m p";
    const TArgumentFragments f = BuildArgumentFragments(options);
    const std::string args = ComposeArguments(f, c.Source, c.Output);
    test::WriteFile(dir / "callssrc.sh", MakeBatchScriptPosix(appDir, f.ConverterName, false, args));

    EXPECT_EQ(RunScript(dir / "callssrc.sh"),
              Lines({"ssrc " + args, cwd, "<--dither>", "<2>", "<--tmpfile>", "</tmp/t m p>",
                     "<" + std::string(c.Source) + ">", "<" + std::string(c.Output) + ">"}))
        << c.Source;
  }
}

}  // namespace
}  // namespace ratemill
