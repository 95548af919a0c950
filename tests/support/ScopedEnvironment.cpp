#include "ScopedEnvironment.h"

#include <cstdlib>

namespace ratemill::test {
namespace {

// The C library's environment calls differ in name between the platforms;
// Windows removes a variable by setting it to an empty value.
void SetVariable(const std::string& name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name.c_str(), value.c_str());
#else
  ::setenv(name.c_str(), value.c_str(), 1);
#endif
}

void UnsetVariable(const std::string& name) {
#ifdef _WIN32
  ::_putenv_s(name.c_str(), "");
#else
  ::unsetenv(name.c_str());
#endif
}

}  // namespace

TScopedEnvironment::~TScopedEnvironment() {
  for (const auto& [name, value] : FSaved) {
    if (value)
      SetVariable(name, *value);
    else
      UnsetVariable(name);
  }
}

void TScopedEnvironment::Set(const std::string& name, const std::string& value) {
  Save(name);
  SetVariable(name, value);
}

void TScopedEnvironment::Unset(const std::string& name) {
  Save(name);
  UnsetVariable(name);
}

void TScopedEnvironment::Save(const std::string& name) {
  if (FSaved.count(name)) return;
  const char* value = std::getenv(name.c_str());
  FSaved[name] = value ? std::optional<std::string>(value) : std::nullopt;
}

}  // namespace ratemill::test
