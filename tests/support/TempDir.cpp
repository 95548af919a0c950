#include "TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <vector>

namespace ratemill::test {

TTempDir::TTempDir() {
  // A new name each time: create_directory reports an existing folder, so a
  // folder is never shared with another test or run.
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "ratemill-test-";
    for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof kLetters - 1)];
    const std::filesystem::path folder = base / name;
    std::error_code error;
    if (std::filesystem::create_directory(folder, error)) {
      std::filesystem::permissions(folder, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace,
                                   error);
      FPath = folder.string() + static_cast<char>(std::filesystem::path::preferred_separator);
      return;
    }
    if (error) throw std::runtime_error("cannot create a folder in " + base.string() + ": " + error.message());
  }
  throw std::runtime_error("no free temporary folder name in " + base.string());
}

TTempDir::~TTempDir() {
  std::error_code ignored;
  // Make read-only fixtures removable again before removing them.
  for (auto it = std::filesystem::recursive_directory_iterator(FPath, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
  }
  std::filesystem::remove_all(FPath, ignored);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace ratemill::test
