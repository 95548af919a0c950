#include "i18n/LanguageSetup.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#include "i18n/TextCatalogue.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"

namespace ratemill {
namespace {

constexpr const char* kPrefix = "language.";
constexpr const char* kSuffix = ".ini";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

std::string SystemLanguage() {
  return SystemLanguageCode(Environment("LC_ALL"), Environment("LC_MESSAGES"), Environment("LANG"));
}

}  // namespace

std::string ShippedLanguageFileName(const std::string& code) { return kPrefix + code + kSuffix; }

std::string SystemLanguageCode(const std::string& lcAll, const std::string& lcMessages, const std::string& lang) {
  const std::string& locale = !lcAll.empty() ? lcAll : !lcMessages.empty() ? lcMessages : lang;
  if (locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0) return {};
  // "de_AT.UTF-8@euro": the language is what comes before territory,
  // code set and modifier.
  const std::string language = Lower(locale.substr(0, locale.find_first_of("_.@")));
  const bool letters = !language.empty() && std::all_of(language.begin(), language.end(),
                                                        [](unsigned char c) { return std::isalpha(c) != 0; });
  return letters ? language : std::string();
}

std::string ChooseFirstStartLanguage(bool languageFileExists, const std::string& systemCode,
                                     const std::vector<std::string>& shippedCodes) {
  if (languageFileExists || systemCode == kBuiltInLanguage) return {};
  if (!systemCode.empty() && std::find(shippedCodes.begin(), shippedCodes.end(), systemCode) != shippedCodes.end()) {
    return systemCode;
  }
  const bool fallbackShipped =
      std::find(shippedCodes.begin(), shippedCodes.end(), kFallbackLanguage) != shippedCodes.end();
  return fallbackShipped ? kFallbackLanguage : std::string();
}

std::vector<std::string> ShippedLanguages(const std::string& shippedDir) {
  std::vector<std::string> codes;
  std::error_code error;
  const std::string prefix = kPrefix, suffix = kSuffix;
  for (const auto& entry : std::filesystem::directory_iterator(shippedDir, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() + suffix.size() || name.rfind(prefix, 0) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
      continue;
    }
    codes.push_back(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()));
  }
  return codes;
}

std::string InstallFirstStartLanguage(const std::string& shippedDir, const std::string& dataDir,
                                      const std::string& systemCode) {
  const std::string target = LanguageFileName(dataDir);
  const std::string code =
      ChooseFirstStartLanguage(platform::FileExists(target), systemCode, ShippedLanguages(shippedDir));
  if (code.empty()) return {};
  const std::optional<std::string> content =
      platform::ReadWholeFile(platform::IncludeTrailingPathDelimiter(shippedDir) + ShippedLanguageFileName(code));
  if (!content) return {};
  // Checked once more right before writing: a second instance started at the
  // same moment may have put its copy in place, or the user an own file.
  if (platform::FileExists(target)) return {};
  platform::WriteFileAtomically(target, *content);
  return code;
}

std::string InstallFirstStartLanguage(const std::string& shippedDir, const std::string& dataDir) {
  return InstallFirstStartLanguage(shippedDir, dataDir, SystemLanguage());
}

std::string ToolkitLanguage(bool languageFileExists, const std::string& declaredCode, const std::string& systemCode) {
  if (!languageFileExists) return kBuiltInLanguage;
  if (!declaredCode.empty()) return Lower(declaredCode);
  return systemCode;
}

std::string ToolkitLanguageOf(const std::string& languageFile, const std::string& systemCode) {
  if (!platform::FileExists(languageFile)) return ToolkitLanguage(false, {}, systemCode);
  const platform::TIniFile file(languageFile);
  return ToolkitLanguage(true, file.ReadString(kLanguageSection, kLanguageCodeKey, ""), systemCode);
}

std::string ToolkitLanguageOf(const std::string& languageFile) {
  return ToolkitLanguageOf(languageFile, SystemLanguage());
}

}  // namespace ratemill
