#pragma once

#include <string>

namespace ratemill::test {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes. `Path()` ends with the platform's folder
// delimiter ('/' on POSIX, '\\' on Windows).
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& Path() const { return FPath; }
  // Path() + relative.
  std::string operator/(const std::string& relative) const { return FPath + relative; }

 private:
  std::string FPath;
};

// Small file helpers for fixtures.
void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);

}  // namespace ratemill::test
