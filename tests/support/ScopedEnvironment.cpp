#include "ScopedEnvironment.h"

#include <cstdlib>

namespace ratemill::test {

TScopedEnvironment::~TScopedEnvironment() {
  for (const auto& [name, value] : FSaved) {
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }
}

void TScopedEnvironment::Set(const std::string& name, const std::string& value) {
  Save(name);
  ::setenv(name.c_str(), value.c_str(), 1);
}

void TScopedEnvironment::Unset(const std::string& name) {
  Save(name);
  ::unsetenv(name.c_str());
}

void TScopedEnvironment::Save(const std::string& name) {
  if (FSaved.count(name)) return;
  const char* value = std::getenv(name.c_str());
  FSaved[name] = value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace ratemill::test
