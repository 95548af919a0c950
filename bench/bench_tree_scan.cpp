// Folder-tree scan against find(1) on the same generated tree: 100,000 files
// in 2,000 folders, made once per run in a temporary folder and removed after.
// The goal is a scan no slower than 1.5 times find.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "files/FindFiles.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int TopFolders = 40;
constexpr int SubFoldersEach = 49;  // 40 + 40 * 49 = 2,000 folders
constexpr int FilesPerFolder = 50;  // 2,000 * 50 = 100,000 files

std::string TreeRoot;  // ends with '/'

// Four of five files are WAV files, some with an upper-case extension.
std::string FileName(int i) {
  const char* ext = (i % 5 == 4) ? ".txt" : (i % 5 == 3) ? ".WAV" : ".wav";
  return "take" + std::to_string(i) + ext;
}

void FillFolder(const std::string& folder) {
  fs::create_directory(folder);
  for (int i = 0; i < FilesPerFolder; ++i) {
    const std::string path = folder + "/" + FileName(i);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      std::exit(1);
    }
    close(fd);
  }
}

void MakeTree() {
  std::string pattern = (fs::temp_directory_path() / "ratemill-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    std::exit(1);
  }
  TreeRoot = pattern + "/";
  for (int t = 0; t < TopFolders; ++t) {
    const std::string top = TreeRoot + "album" + std::to_string(t);
    FillFolder(top);
    for (int s = 0; s < SubFoldersEach; ++s) FillFolder(top + "/disc" + std::to_string(s));
  }
}

// Runs find on the tree; its output goes to `output` (a file path).
int RunFind(const char* output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  char* const argv[] = {const_cast<char*>("find"), TreeRoot.data(), const_cast<char*>("-iname"),
                        const_cast<char*>("*.wav"), nullptr};
  pid_t pid = 0;
  const int error = posix_spawnp(&pid, "find", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_FindFilesRecursive(benchmark::State& state) {
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<std::string> list;
    ratemill::FindFilesRecursive(TreeRoot, "*.wav", list, true);
    found = list.size();
    benchmark::DoNotOptimize(list.data());
  }
  state.counters["files"] = static_cast<double>(found);
}
BENCHMARK(BM_FindFilesRecursive)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

void BM_FindProcess(benchmark::State& state) {
  for (auto _ : state) {
    if (RunFind("/dev/null") != 0) state.SkipWithError("find failed");
  }
}
BENCHMARK(BM_FindProcess)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Keeps the real time per iteration of each benchmark for the ratio.
class TRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (!run.error_occurred) Times[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> Times;
};

// Both must see the same files, or the comparison means nothing.
bool SameCountAsFind() {
  std::vector<std::string> list;
  ratemill::FindFilesRecursive(TreeRoot, "*.wav", list, true);
  const std::string listing = TreeRoot + "find-listing.txt";
  if (RunFind(listing.c_str()) != 0) return false;
  std::size_t lines = 0;
  if (FILE* f = std::fopen(listing.c_str(), "r")) {
    for (int c; (c = std::fgetc(f)) != EOF;) lines += c == '\n';
    std::fclose(f);
  }
  fs::remove(listing);
  std::printf("files found: scan %zu, find %zu (expected %d)\n", list.size(), lines,
              TopFolders * (1 + SubFoldersEach) * FilesPerFolder * 4 / 5);
  return list.size() == lines;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  MakeTree();
  int result = 0;
  if (!SameCountAsFind()) {
    std::fprintf(stderr, "the scan and find disagree on the tree\n");
    result = 1;
  } else {
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto scan = reporter.Times.find("BM_FindFilesRecursive/min_time:2.000/real_time");
    const auto find = reporter.Times.find("BM_FindProcess/min_time:2.000/real_time");
    if (scan != reporter.Times.end() && find != reporter.Times.end()) {
      std::printf("scan %.1f ms, find %.1f ms, ratio %.2f (goal <= 1.50)\n", scan->second, find->second,
                  scan->second / find->second);
    }
  }
  std::error_code ignored;
  fs::remove_all(TreeRoot, ignored);
  benchmark::Shutdown();
  return result;
}
