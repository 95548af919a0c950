#pragma once

#include <map>
#include <optional>
#include <string>

namespace ratemill::test {

// Environment variables set or removed for the length of one test: the
// values they had before come back when this goes, so a test that sets up
// its child programs through the environment leaves none of it behind.
class TScopedEnvironment {
 public:
  TScopedEnvironment() = default;
  ~TScopedEnvironment();
  TScopedEnvironment(const TScopedEnvironment&) = delete;
  TScopedEnvironment& operator=(const TScopedEnvironment&) = delete;

  void Set(const std::string& name, const std::string& value);
  void Unset(const std::string& name);

 private:
  void Save(const std::string& name);

  std::map<std::string, std::optional<std::string>> FSaved;
};

}  // namespace ratemill::test
