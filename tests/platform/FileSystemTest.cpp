#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill::platform {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

TEST(PathHelpers, SplitAndJoinOnTheDelimiter) {
  struct TCase {
    std::string Path, FilePath, FileName, WithDelimiter;
  };
  const TCase cases[] = {
      {"/a/b/c.wav", "/a/b/", "c.wav", "/a/b/c.wav/"},
      {"/a/b/", "/a/b/", "", "/a/b/"},
      {"c.wav", "", "c.wav", "c.wav/"},
      {"/", "/", "", "/"},
      {"", "", "", ""},  // an unset folder must not become the root
      {"rel/x", "rel/", "x", "rel/x/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFilePath(c.Path), c.FilePath) << c.Path;
    EXPECT_EQ(ExtractFileName(c.Path), c.FileName) << c.Path;
    EXPECT_EQ(IncludeTrailingPathDelimiter(c.Path), c.WithDelimiter) << c.Path;
  }
}

TEST(FileSystemQueries, TellFilesFromFolders) {
  TTempDir dir;
  WriteFile(dir / "file", "x");
  std::filesystem::create_directory(dir / "folder");
  std::filesystem::create_symlink(dir / "file", dir / "link-to-file");
  std::filesystem::create_symlink(dir / "folder", dir / "link-to-folder");
  std::filesystem::create_symlink(dir / "gone", dir / "dangling");
  struct TCase {
    std::string Path;
    bool File, Folder;
  };
  const TCase cases[] = {
      {dir / "file", true, false},         {dir / "folder", false, true},         {dir / "folder/", false, true},
      {dir / "link-to-file", true, false}, {dir / "link-to-folder", false, true}, {dir / "dangling", false, false},
      {dir / "missing", false, false},     {dir / "file/below", false, false},    {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(c.Path), c.File) << c.Path;
    EXPECT_EQ(DirectoryExists(c.Path), c.Folder) << c.Path;
  }
}

// One look tells the kind and, for a regular file only, the size; a FIFO is
// named without waiting for a writer.
TEST(FileSystemQueries, FactsNameTheKindAndTheSizeOfARegularFile) {
  TTempDir dir;
  WriteFile(dir / "a.wav", std::string(1000, 'a'));
  WriteFile(dir / "empty.wav", "");
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "a.wav", dir / "link.wav");
  struct TCase {
    std::string Path;
    TFileKind Kind;
    std::uint64_t Size;
  };
  const TCase cases[] = {
      {dir / "a.wav", TFileKind::fkRegular, 1000},    {dir / "empty.wav", TFileKind::fkRegular, 0},
      {dir / "link.wav", TFileKind::fkRegular, 1000}, {dir / "folder", TFileKind::fkFolder, 0},
      {dir / "fifo.wav", TFileKind::fkFifo, 0},       {"/dev/null", TFileKind::fkDevice, 0},
      {dir / "missing", TFileKind::fkMissing, 0},     {"", TFileKind::fkMissing, 0},
  };
  for (const TCase& c : cases) {
    const TFileFacts facts = FileFacts(c.Path);
    EXPECT_EQ(facts.Kind, c.Kind) << c.Path;
    EXPECT_EQ(facts.Size, c.Size) << c.Path;
    EXPECT_EQ(FileKind(c.Path), c.Kind) << c.Path;
  }
}

TEST(ForceDirectories, CreatesMissingParentsAndReportsWhatIsThere) {
  TTempDir dir;
  WriteFile(dir / "file", "x");
  struct TCase {
    std::string Path;
    bool Result;
  };
  const TCase cases[] = {
      {dir / "a/b/c", true},
      {dir / "a/b/c", true},  // already there
      {dir / "d//e/", true},  // doubled and trailing delimiters
      {dir / "file", false},  // a file is in the way
      {dir / "file/below/deeper", false},
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ForceDirectories(c.Path), c.Result) << c.Path;
    EXPECT_EQ(DirectoryExists(c.Path), c.Result) << c.Path;
  }
  EXPECT_EQ(ReadFile(dir / "file"), "x");
}

TEST(ForceDirectories, RelativePath) {
  TTempDir dir;
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const bool made = ForceDirectories("log/sub");
  std::filesystem::current_path(previous);
  EXPECT_TRUE(made);
  EXPECT_TRUE(DirectoryExists(dir / "log/sub"));
}

TEST(ReadFileHead, ReadsAtMostTheAskedBytes) {
  TTempDir dir;
  std::string wav(44, '\0');
  wav[24] = '\x44';
  wav[25] = '\xAC';
  wav += "data that follows";
  WriteFile(dir / "a.wav", wav);
  WriteFile(dir / "short.wav", "RIFF");
  std::filesystem::create_directory(dir / "folder");

  std::array<char, 44> head{};
  ASSERT_EQ(ReadFileHead(dir / "a.wav", head.data(), head.size()), 44u);
  EXPECT_EQ(std::string(head.data(), head.size()), wav.substr(0, 44));

  head.fill('#');
  EXPECT_EQ(ReadFileHead(dir / "short.wav", head.data(), head.size()), 4u);
  EXPECT_EQ(std::string(head.data(), 5), "RIFF#");  // nothing past what was read is touched

  EXPECT_EQ(ReadFileHead(dir / "missing.wav", head.data(), head.size()), 0u);
  EXPECT_EQ(ReadFileHead(dir / "folder", head.data(), head.size()), 0u);
}

// Special files are refused before anything is read from them: a FIFO
// without a writer would otherwise block the caller. The guard below makes
// this test fail, not hang, if it does.
TEST(ReadFileHead, RefusesSpecialFilesWithoutBlocking) {
  TTempDir dir;
  WriteFile(dir / "a.wav", std::string(44, 'a'));
  WriteFile(dir / "short.wav", "RIFF");
  std::filesystem::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
  std::filesystem::create_symlink(dir / "fifo.wav", dir / "link-to-fifo.wav");

  struct TCase {
    std::string Path;
    std::size_t Count;
    THeadReadFault Fault;
  };
  const TCase cases[] = {
      {dir / "a.wav", 44, THeadReadFault::None},
      {dir / "short.wav", 4, THeadReadFault::None},
      {dir / "missing.wav", 0, THeadReadFault::CannotOpen},
      {dir / "folder", 0, THeadReadFault::NotRegularFile},
      {dir / "fifo.wav", 0, THeadReadFault::NotRegularFile},
      {dir / "link-to-fifo.wav", 0, THeadReadFault::NotRegularFile},
      {"/dev/zero", 0, THeadReadFault::NotRegularFile},
  };
  auto reads = std::async(std::launch::async, [&cases] {
    std::vector<std::pair<std::size_t, THeadReadFault>> results;
    for (const TCase& c : cases) {
      std::array<char, 44> head{};
      THeadReadFault fault = THeadReadFault::CannotOpen;
      const std::size_t n = ReadFileHead(c.Path, head.data(), head.size(), &fault);
      results.emplace_back(n, fault);
    }
    return results;
  });
  if (reads.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
    // Give the blocked open its writer, so the test ends with a failure.
    const int writer = ::open((dir / "fifo.wav").c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
    FAIL() << "reading the head of a FIFO blocked";
  }
  const auto results = reads.get();
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(results[i].first, cases[i].Count) << cases[i].Path;
    EXPECT_EQ(results[i].second, cases[i].Fault) << cases[i].Path;
  }
}

TEST(ReadWholeFile, TellsMissingFromUnreadable) {
  TTempDir dir;
  const std::string content("bin\0ary\r\n", 9);
  WriteFile(dir / "f", content);
  std::filesystem::create_directory(dir / "folder");

  EXPECT_EQ(ReadWholeFile(dir / "f"), content);
  EXPECT_EQ(ReadWholeFile(dir / "missing"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(dir / "f/below"), std::nullopt);
  EXPECT_THROW(ReadWholeFile(dir / "folder"), ESystemError);
}

TEST(ReadWholeFile, LargerThanOneChunk) {
  TTempDir dir;
  std::string content;
  for (int i = 0; i < 200000; ++i) content.push_back(static_cast<char>(i % 251));
  WriteFile(dir / "big", content);
  EXPECT_EQ(ReadWholeFile(dir / "big"), content);
}

TEST(WriteFileAtomically, ReplacesWholeAndReportsTheSystemError) {
  TTempDir dir;
  WriteFile(dir / "plain", "old");
  WriteFileAtomically(dir / "plain", "new content");
  EXPECT_EQ(ReadFile(dir / "plain"), "new content");
  WriteFileAtomically(dir / "plain", "");
  EXPECT_EQ(ReadFile(dir / "plain"), "");

  try {
    WriteFileAtomically(dir / "plain/below", "x");
    ADD_FAILURE() << "no error";
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Code(), ENOTDIR);
  }
  // Only the file itself is left: no temporary beside it.
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 1);
}

}  // namespace
}  // namespace ratemill::platform
