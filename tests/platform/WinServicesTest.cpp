// The Windows side of the platform services, against the real system calls
// (under Wine on the build machine). Paths are UTF-8 in the core; these tests
// check that names outside any ANSI code page reach the file system and come
// back byte for byte, and that a child started through the services reads
// what it is given.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "WavFixture.h"
#include "platform/CodePage.h"
#include "platform/CommandLine.h"
#include "platform/DirectorySearch.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/ProcessServices.h"
#include "platform/SearchPath.h"

namespace ratemill::platform {
namespace {

// UTF-8 names: Latin letters that code page 1252 holds, and a CJK letter
// that no single-byte code page holds.
const std::vector<std::string> kNames = {"plain.wav",
                                         "M\xC3\xA4"
                                         "dchen.wav",
                                         "Stra\xC3\x9F"
                                         "e.wav",
                                         "\xE4\xB8\xAD.wav"};

std::filesystem::path Native(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

bool FitsAnsiCodePage(const std::string& utf8) {
  const std::wstring wide = Native(utf8).wstring();
  BOOL usedDefault = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                        &usedDefault);
  return !usedDefault;
}

TEST(WinFileSystem, NamesTravelByteExactThroughWriteReadAndSearch) {
  test::TTempDir dir;
  const std::string folder = dir.Path() + "\xC3\x9F\xE4\xB8\xAD" + PathDelim + "sub";
  ASSERT_TRUE(ForceDirectories(folder));
  for (const std::string& name : kNames) {
    const std::string path = folder + PathDelim + name;
    WriteFileAtomically(path, "first");
    WriteFileAtomically(path, "second, longer");
    EXPECT_TRUE(FileExists(path)) << name;
    EXPECT_FALSE(DirectoryExists(path)) << name;
    EXPECT_EQ(ReadWholeFile(path), std::optional<std::string>("second, longer")) << name;
    // The system itself, asked in UTF-16, holds the same name.
    EXPECT_TRUE(std::filesystem::is_regular_file(Native(path))) << name;
  }

  std::vector<std::string> found;
  TDirectorySearch search(folder);
  ASSERT_TRUE(search.IsOpen());
  for (TDirEntry entry; search.Next(entry);) {
    EXPECT_TRUE(entry.IsFile && !entry.IsFolder) << entry.Name;
    found.push_back(entry.Name);
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> expected = kNames;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(found, expected) << "no temporary file may be left behind either";
}

TEST(WinFileSystem, MissingFilesAndFolders) {
  test::TTempDir dir;
  EXPECT_EQ(ReadWholeFile(dir / "missing.ini"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir.Path() + "no" + PathDelim + "missing.ini"), std::nullopt);
  char head[4];
  EXPECT_EQ(ReadFileHead(dir / "missing.wav", head, sizeof head), 0u);
  EXPECT_FALSE(TDirectorySearch(dir / "missing").IsOpen());
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
}

// What a path names, and what a head read makes of it: only a disk file is
// read; a pipe is refused before a read could wait for its writer.
TEST(WinFileSystem, KindsAndHeadReadsTellWhatIsNoDiskFile) {
  test::TTempDir dir;
  WriteFileAtomically(dir / "a.wav", "RIFF1234");
  const std::string pipeName = "\\\\.\\pipe\\ratemill-head-" + std::to_string(::GetCurrentProcessId());
  const HANDLE server =
      ::CreateNamedPipeW(Native(pipeName).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 1, 64, 64, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  struct TCase {
    std::string Path;
    TFileKind Kind;
    THeadReadFault Fault;
    std::string Head;
  };
  const TCase cases[] = {
      {dir / "a.wav", TFileKind::fkRegular, THeadReadFault::None, "RIFF"},
      {dir.Path(), TFileKind::fkFolder, THeadReadFault::NotRegularFile, ""},
      {dir / "missing.wav", TFileKind::fkMissing, THeadReadFault::CannotOpen, ""},
      {pipeName, TFileKind::fkFifo, THeadReadFault::NotRegularFile, ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(FileKind(c.Path), c.Kind) << c.Path;
    char head[4] = {};
    THeadReadFault fault = THeadReadFault::None;
    const std::size_t read = ReadFileHead(c.Path, head, sizeof head, &fault);
    EXPECT_EQ(fault, c.Fault) << c.Path;
    EXPECT_EQ(std::string(head, read), c.Head) << c.Path;
  }
  ::CloseHandle(server);
}

TEST(WinFileSystem, RenameReplacesWholeAndAFailureLeavesBothAsTheyWere) {
  test::TTempDir dir;
  const std::string from = dir / "\xE4\xB8\xAD.tmp";
  const std::string to = dir / "\xE4\xB8\xAD.wav";
  WriteFileAtomically(from, "new");
  WriteFileAtomically(to, "old output");
  RenameFile(from, to);
  EXPECT_EQ(ReadWholeFile(to), std::optional<std::string>("new"));
  EXPECT_EQ(FileKind(from), TFileKind::fkMissing);

  try {
    RenameFile(from, to);
    ADD_FAILURE() << "a missing file was renamed";
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Code(), ERROR_FILE_NOT_FOUND);
  }
  EXPECT_EQ(ReadWholeFile(to), std::optional<std::string>("new"));

  EXPECT_TRUE(RemoveFile(to));
  EXPECT_EQ(FileKind(to), TFileKind::fkMissing);
  EXPECT_TRUE(RemoveFile(to)) << "a file that is not there is gone";
  EXPECT_FALSE(RemoveFile(dir.Path())) << "a folder is not removed";
}

// A write removes what killed writers of the same file left behind, and
// nothing else: not a write in progress of a running process, not the
// leftovers of another file.
TEST(WinFileSystem, AWriteRemovesOnlyTheLeftoversOfDeadWritersOfThatFile) {
  test::TTempDir dir;
  const std::string own = std::to_string(::GetCurrentProcessId());
  // No process gets an id this high, and it is not a multiple of four.
  const std::string dead = "999999997";
  struct TCase {
    std::string Name;
    bool Removed;
  };
  const TCase cases[] = {
      {"~Ratemill.ini.tmp" + dead + "-0", true},
      {"~ratemill.INI.tmp" + dead + "-3", true},  // Windows names ignore case
      {"~Ratemill.ini.tmp" + own + "-0", false},
      {"~Other.ini.tmp" + dead + "-0", false},
      {"~Ratemill.ini.tmp" + dead + "-", false},
      {"~Ratemill.ini.tmp" + dead + "-0.bak", false},
  };
  for (const TCase& c : cases) WriteFileAtomically(dir / c.Name, "left");
  WriteFileAtomically(dir / "Ratemill.ini", "[Main]\n");
  for (const TCase& c : cases) EXPECT_EQ(FileKind(dir / c.Name) == TFileKind::fkMissing, c.Removed) << c.Name;
  EXPECT_EQ(ReadWholeFile(dir / "Ratemill.ini"), std::optional<std::string>("[Main]\n"));
}

// Entries are separated by ';'; an entry may be quoted; only a file that
// holds a program counts, not a folder or a text file of that name.
TEST(WinSearchPath, FindsTheFirstFolderThatHoldsTheProgram) {
  test::TTempDir dir;
  for (const char* folder : {"folder", "text", "prog; one", "prog2"}) ASSERT_TRUE(ForceDirectories(dir / folder));
  ASSERT_TRUE(ForceDirectories(dir.Path() + "folder" + PathDelim + "tool.exe"));
  WriteFileAtomically(dir.Path() + "text" + PathDelim + "tool.exe", "not a program");
  for (const char* folder : {"prog; one", "prog2"}) {
    ASSERT_TRUE(::CopyFileW(Native(RATEMILL_TEST_BINARY).c_str(),
                            Native(dir.Path() + folder + PathDelim + "tool.exe").c_str(), FALSE));
  }
  const std::string searchPath =
      dir / "missing" + ";;" + dir / "folder" + ";" + dir / "text" + ";\"" + dir / "prog; one" + "\";" + dir / "prog2";
  EXPECT_EQ(FindOnSearchPath(searchPath, "tool.exe", EmptyPathEntry::kSkip),
            dir.Path() + "prog; one" + PathDelim + "tool.exe");
  EXPECT_EQ(FindOnSearchPath(dir / "folder" + ";" + dir / "text", "tool.exe", EmptyPathEntry::kSkip), "");
  EXPECT_TRUE(IsExecutableFile(RATEMILL_TEST_BINARY));
  EXPECT_FALSE(IsExecutableFile(dir.Path() + "text" + PathDelim + "tool.exe"));
  EXPECT_FALSE(IsExecutableFile(dir.Path() + "folder" + PathDelim + "tool.exe"));
}

TEST(WinFileSystem, ReadOnlyFileIsRefusedAndKept) {
  test::TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  WriteFileAtomically(path, "kept");
  ASSERT_TRUE(::SetFileAttributesW(Native(path).c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    WriteFileAtomically(path, "lost");
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Code(), ERROR_ACCESS_DENIED);
  }
  ::SetFileAttributesW(Native(path).c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadWholeFile(path), std::optional<std::string>("kept"));
}

// A dropped file's URI names a drive with a slash before it, which Windows
// would read as the root of the current drive.
TEST(WinFileSystem, FileUriPathsWithADriveBecomeThatDrivesPath) {
  const std::pair<std::string, std::string> cases[] = {
      {"/C:/Users/a b/x.wav", "C:\\Users\\a b\\x.wav"},
      {"/d:/", "d:\\"},
      {"/in/x.wav", "/in/x.wav"},  // no drive: left as it came
      {"/1:/x.wav", "/1:/x.wav"},
      {"/C", "/C"},
  };
  for (const auto& [uriPath, local] : cases) EXPECT_EQ(LocalPathOfFileUriPath(uriPath), local) << uriPath;
}

// The OEM conversion is the system's, character for character: checked
// against the same characters taken through UTF-16 into the OEM code page.
TEST(WinCodePage, AnsiToOemFollowsTheSystemsCodePages) {
  for (const char* text : {"plain", "\xE4\xDF\xF6 x", "\xA0\xFF"}) {
    const std::string ansi = text;
    const std::u16string wide = AnsiToUtf16(ansi);
    const std::wstring w(wide.begin(), wide.end());
    std::string oem(ansi.size() * 4, '\0');
    oem.resize(::WideCharToMultiByte(CP_OEMCP, 0, w.data(), static_cast<int>(w.size()), oem.data(),
                                     static_cast<int>(oem.size()), nullptr, nullptr));
    EXPECT_EQ(Ansi2OEM(ansi), oem) << ansi;
    EXPECT_EQ(Ansi2OEM(ansi).size(), ansi.size());
    EXPECT_EQ(Utf16ToAnsi(wide), ansi);
  }
}

TEST(WinErrors, MessageCarriesTheSystemTextWithoutTrailingBreak) {
  const std::string message = SystemErrorMessage(ERROR_FILE_NOT_FOUND);
  const std::string head = "Systemfehler.  Code: 2.\n";
  ASSERT_EQ(message.substr(0, head.size()), head);
  const std::string text = message.substr(head.size());
  EXPECT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  EXPECT_NE(text.back(), '\r');
}

// Reads a pipe to its end as the runner's readers do.
std::string ReadToEnd(const TOsHandle& pipe, const TStopEvent& stop) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const TReadResult result = ReadOrStop(pipe, stop, buffer, sizeof buffer);
    if (result.Outcome != TReadOutcome::roData) return text;
    text.append(buffer, result.Count);
  }
}

TEST(WinPipes, ReadDeliversDataThenEnd) {
  TPipeEnds pipe = CreatePipe();
  TStopEvent stop;
  DWORD written = 0;
  ASSERT_TRUE(::WriteFile(reinterpret_cast<HANDLE>(pipe.Write.Get()), "abc\r\n", 5, &written, nullptr));
  pipe.Write.Reset();
  EXPECT_EQ(ReadToEnd(pipe.Read, stop), "abc\r\n");
}

TEST(WinPipes, StopEndsAReadThatHasNothingToRead) {
  TPipeEnds pipe = CreatePipe();
  TStopEvent stop;
  std::thread stopper([&stop] { stop.Set(); });
  char buffer[16];
  const TReadResult result = ReadOrStop(pipe.Read, stop, buffer, sizeof buffer);
  stopper.join();
  EXPECT_EQ(result.Outcome, TReadOutcome::roStopped);
  EXPECT_TRUE(stop.IsSet());
}

// The converter stand-in opens its arguments with the narrow C++ streams, as
// a converter built without wide-character support does: it receives the
// command line in the system's ANSI code page. A name that code page holds
// arrives intact; one it cannot hold arrives with '?' and cannot be opened.
TEST(WinSpawn, AnsiConverterReceivesNamesTheCodePageHolds) {
  test::TTempDir dir;
  for (const std::string& name : kNames) {
    SCOPED_TRACE(name);
    const std::string input = dir.Path() + name;
    const std::string output = dir.Path() + "out-" + name;
    test::WriteWav(dir / "fixture.wav", 44100, 16, 2, 4410);
    std::filesystem::rename(Native(dir / "fixture.wav"), Native(input));

    TPipeEnds out = CreatePipe();
    TPipeEnds err = CreatePipe();
    TPipeEnds in = CreatePipe();
    TSpawnRequest request;
    request.CommandLine = QuoteArgument(RATEMILL_TEST_CONVERTER) + " --rate 48000 --bits 24 " + QuoteArgument(input) +
                          " " + QuoteArgument(output);
    request.CreationFlags = creation::kIdlePriorityClass;
    request.Startup.Flags = startf::kUseStdHandles | startf::kUseShowWindow;
    request.StdInput = &in.Read;
    request.StdOutput = &out.Write;
    request.StdError = &err.Write;
    TSpawnedChild child = SpawnProcess(request);
    // Only the child holds the write ends now, so the reads end with it.
    out.Write.Reset();
    err.Write.Reset();
    in.Read.Reset();

    TStopEvent stop;
    std::string errors;
    std::thread errorReader([&] { errors = ReadToEnd(err.Read, stop); });
    const std::string said = ReadToEnd(out.Read, stop);
    errorReader.join();
    std::uint32_t exitCode = 1234;
    ASSERT_EQ(child.Process->WaitForEndOrStop(stop, exitCode), TWaitOutcome::woEnded);

    if (FitsAnsiCodePage(name)) {
      EXPECT_EQ(exitCode, 0u) << errors;
      // It names the file back in its own code page.
      const std::wstring wideInput = Native(input).wstring();
      EXPECT_NE(said.find("Source file : " + Utf16ToAnsi(std::u16string(wideInput.begin(), wideInput.end()))),
                std::string::npos)
          << said;
      // Read back under a plain name: the fixture reader is narrow too.
      std::filesystem::remove(Native(dir / "check.wav"));
      std::filesystem::copy_file(Native(output), Native(dir / "check.wav"));
      const auto format = test::ReadWavFormat(dir / "check.wav");
      ASSERT_TRUE(format.has_value());
      EXPECT_EQ(format->Rate, 48000u);
      EXPECT_EQ(format->Bits, 24u);
    } else {
      EXPECT_EQ(exitCode, 255u);
      EXPECT_NE(errors.find("cannot open input file"), std::string::npos) << errors;
      EXPECT_FALSE(std::filesystem::exists(Native(output)));
    }
  }
  WaitForChildrenCollected();
}

// A converter that takes its arguments in UTF-16 (wmain, _wfopen) receives
// every name intact, whatever the code pages: the services hand the command
// line over with CreateProcessW.
TEST(WinSpawn, WideConverterReceivesEveryNameIntact) {
  test::TTempDir dir;
  for (const std::string& name : kNames) {
    SCOPED_TRACE(name);
    const std::string input = dir.Path() + "in-" + name;
    const std::string output = dir.Path() + "out-" + name;
    WriteFileAtomically(input, "RIFF and the rest of " + name);
    TSpawnRequest request;
    request.CommandLine =
        QuoteArgument(RATEMILL_TEST_WIDE_COPIER) + " " + QuoteArgument(input) + " " + QuoteArgument(output);
    TSpawnedChild child = SpawnProcess(request);
    TStopEvent stop;
    std::uint32_t exitCode = 1234;
    ASSERT_EQ(child.Process->WaitForEndOrStop(stop, exitCode), TWaitOutcome::woEnded);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(ReadWholeFile(output), std::optional<std::string>("RIFF and the rest of " + name));
  }
  WaitForChildrenCollected();
}

TEST(WinSpawn, MissingProgramRaisesTheSystemsReason) {
  TSpawnRequest request;
  request.CommandLine = "\"C:\\no such folder\\ssrc.exe\" in.wav out.wav";
  try {
    SpawnProcess(request);
    ADD_FAILURE() << "a missing program started";
  } catch (const ESystemError& e) {
    EXPECT_TRUE(e.Code() == ERROR_FILE_NOT_FOUND || e.Code() == ERROR_PATH_NOT_FOUND) << e.Code();
  }
}

}  // namespace
}  // namespace ratemill::platform
