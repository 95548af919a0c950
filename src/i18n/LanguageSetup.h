#pragma once

#include <string>
#include <vector>

namespace ratemill {

// The language file of a shipped language, such as "language.en.ini", in the
// "languages" folder beside the program.
std::string ShippedLanguageFileName(const std::string& code);
inline constexpr const char* kShippedLanguagesFolder = "languages";
// The language the built-in texts are written in.
inline constexpr const char* kBuiltInLanguage = "de";
// Every shipped language file but the German one is a translation of the
// built-in texts; this is the one offered where nothing better fits.
inline constexpr const char* kFallbackLanguage = "en";

// The two-letter code of the language that the system asks messages in, from
// the locale variables in the order in which they take precedence: the first
// one set wins. "C", "POSIX" and nothing at all give "" (no language asked).
std::string SystemLanguageCode(const std::string& lcAll, const std::string& lcMessages, const std::string& lang);

// The shipped language to copy into place at the first start: none ("") when
// the user already has a language file or the system asks for the built-in
// language; the system's language when it is shipped; else the fallback.
std::string ChooseFirstStartLanguage(bool languageFileExists, const std::string& systemCode,
                                     const std::vector<std::string>& shippedCodes);

// The codes of the language files in `shippedDir`, in no particular order.
std::vector<std::string> ShippedLanguages(const std::string& shippedDir);

// At the first start, copies the chosen shipped file from `shippedDir` to
// `dataDir` + "language.ini" so that the user sees it and can edit it with the
// translation editor. Returns the code copied, "" when nothing was. A file
// that appears meanwhile is never replaced. Throws `ESystemError` when the copy
// cannot be written.
std::string InstallFirstStartLanguage(const std::string& shippedDir, const std::string& dataDir,
                                      const std::string& systemCode);

// The same with the running process's locale variables.
std::string InstallFirstStartLanguage(const std::string& shippedDir, const std::string& dataDir);

// The language of the toolkit's own texts (buttons of message boxes, file
// dialogs): the built-in language while no language file exists, else the
// one the file declares in section "language", key "Code". A file that
// declares none was written by the user in the translation editor, most
// likely in the system's language, so that one is taken ("" for none: the
// toolkit's own English).
std::string ToolkitLanguage(bool languageFileExists, const std::string& declaredCode, const std::string& systemCode);
std::string ToolkitLanguageOf(const std::string& languageFile, const std::string& systemCode);
// The same with the running process's locale variables.
std::string ToolkitLanguageOf(const std::string& languageFile);

inline constexpr const char* kLanguageSection = "language";
inline constexpr const char* kLanguageCodeKey = "Code";

}  // namespace ratemill
