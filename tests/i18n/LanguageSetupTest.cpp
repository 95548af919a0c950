// The language at the first start, the shipped language files and the
// language of the toolkit's own texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "i18n/LanguageSetup.h"
#include "i18n/TextCatalogue.h"
#include "platform/IniFile.h"

namespace ratemill {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

const std::string kShippedDir = RATEMILL_SHIPPED_LANGUAGES;

TEST(SystemLanguageCode, FirstSetVariableWinsAndOnlyTheLanguageCounts) {
  struct TCase {
    std::string LcAll, LcMessages, Lang, Expected;
  } cases[] = {
      {"", "", "de_DE.UTF-8", "de"},
      {"", "", "en_US.UTF-8", "en"},
      {"", "", "de_AT@euro", "de"},
      {"", "", "fr", "fr"},
      {"", "", "pt_BR.utf8", "pt"},
      {"", "", "DE_ch", "de"},
      {"", "en_GB.UTF-8", "de_DE.UTF-8", "en"},
      {"de_DE.UTF-8", "en_GB.UTF-8", "fr_FR.UTF-8", "de"},
      {"C", "", "de_DE.UTF-8", ""},
      {"", "", "C.UTF-8", ""},
      {"", "", "POSIX", ""},
      {"", "", "", ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(SystemLanguageCode(c.LcAll, c.LcMessages, c.Lang), c.Expected)
        << c.LcAll << "|" << c.LcMessages << "|" << c.Lang;
  }
}

TEST(ChooseFirstStartLanguage, GermanSystemsAndExistingFilesStayAsTheyAre) {
  const std::vector<std::string> shipped = {"de", "en", "fr"};
  struct TCase {
    const char* Description;
    bool FileExists;
    std::string System;
    std::vector<std::string> Shipped;
    std::string Expected;
  } cases[] = {
      {"German system: built-in texts", false, "de", shipped, ""},
      {"English system", false, "en", shipped, "en"},
      {"shipped language", false, "fr", shipped, "fr"},
      {"language not shipped", false, "it", shipped, "en"},
      {"no language asked", false, "", shipped, "en"},
      {"user's own file", true, "en", shipped, ""},
      {"user's own file on a German system", true, "de", shipped, ""},
      {"nothing shipped", false, "en", {}, ""},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ChooseFirstStartLanguage(c.FileExists, c.System, c.Shipped), c.Expected) << c.Description;
  }
}

// Every text of the catalogue stands in each shipped file where the windows
// read it, with the placeholders its built-in text has: a missing key would
// show German in the middle of an English window.
TEST(ShippedLanguages, HoldEveryTextWithItsPlaceholders) {
  for (const std::string code : {"de", "en"}) {
    const platform::TIniFile file(kShippedDir + ShippedLanguageFileName(code));
    for (const TTextRow& row : TextCatalogue()) {
      const std::string text = file.ReadString(row.WindowSection, row.WindowKey, "<missing>");
      EXPECT_NE(text, "<missing>") << code << ": " << row.WindowSection << "/" << row.WindowKey;
      EXPECT_FALSE(text.empty()) << code << ": " << row.WindowKey;
      for (const std::string mark : {"%1", "%2", "%s"}) {
        EXPECT_EQ(text.find(mark) != std::string::npos, row.WindowDefault.find(mark) != std::string::npos)
            << code << ": " << row.WindowKey << " " << mark;
      }
    }
  }
}

TEST(ShippedLanguages, ListsTheShippedFiles) {
  std::vector<std::string> codes = ShippedLanguages(kShippedDir);
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, (std::vector<std::string>{"de", "en"}));

  TTempDir dir;
  WriteFile(dir / "language.it.ini", "");
  WriteFile(dir / "language.ini", "");
  WriteFile(dir / "notes.txt", "");
  EXPECT_EQ(ShippedLanguages(dir.Path()), (std::vector<std::string>{"it"}));
  EXPECT_TRUE(ShippedLanguages(dir / "missing").empty());
}

TEST(InstallFirstStartLanguage, CopiesTheShippedFileOnceAndNeverReplaces) {
  const std::string english = ReadFile(kShippedDir + ShippedLanguageFileName("en"));
  {
    TTempDir data;
    EXPECT_EQ(InstallFirstStartLanguage(kShippedDir, data.Path(), "en"), "en");
    EXPECT_EQ(ReadFile(LanguageFileName(data.Path())), english);
    // The next start finds the file and leaves it to the user.
    WriteFile(LanguageFileName(data.Path()), "[main window]\nStartButton=Go\n");
    EXPECT_EQ(InstallFirstStartLanguage(kShippedDir, data.Path(), "en"), "");
    EXPECT_EQ(ReadFile(LanguageFileName(data.Path())), "[main window]\nStartButton=Go\n");
  }
  {
    TTempDir data;
    EXPECT_EQ(InstallFirstStartLanguage(kShippedDir, data.Path(), "de"), "");
    EXPECT_TRUE(std::filesystem::is_empty(data.Path()));
  }
  {
    // A folder without shipped files (a bare build) starts in German as before.
    TTempDir data, empty;
    EXPECT_EQ(InstallFirstStartLanguage(empty.Path(), data.Path(), "en"), "");
    EXPECT_TRUE(std::filesystem::is_empty(data.Path()));
  }
}

TEST(ToolkitLanguage, FollowsTheLanguageFile) {
  TTempDir dir;
  WriteFile(dir / "en.ini", ReadFile(kShippedDir + ShippedLanguageFileName("en")));
  WriteFile(dir / "de.ini", ReadFile(kShippedDir + ShippedLanguageFileName("de")));
  // What the translation editor writes: the catalogue's keys, no code.
  WriteFile(dir / "own.ini", "[main window]\nStartButton=Commencer\n");
  struct TCase {
    std::string File, System, Expected;
  } cases[] = {
      {"missing.ini", "en", "de"},  // the built-in texts are German
      {"en.ini", "de", "en"},
      {"de.ini", "en", "de"},
      // A German user who saved the editor keeps German toolkit texts; a
      // French one who translated gets French ones; without a language the
      // toolkit's own English.
      {"own.ini", "de", "de"},
      {"own.ini", "fr", "fr"},
      {"own.ini", "", ""},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(ToolkitLanguageOf(dir / c.File, c.System), c.Expected) << c.File << "|" << c.System;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// A text added to the catalogue without a line in the shipped files fails
// here, by its key.
TEST(ShippedLanguageFiles, GermanHoldsTheBuiltInTexts) {
  const platform::TIniFile file(kShippedDir + ShippedLanguageFileName("de"));
  const std::string missing = "\x01missing";
  for (const TTextRow& row : TextCatalogue()) {
    EXPECT_EQ(file.ReadString(row.WindowSection, row.WindowKey, missing), row.WindowDefault) << row.Key;
    EXPECT_EQ(file.ReadString(row.Section, row.Key, missing), row.WindowDefault) << row.Key;
  }
}

TEST(ShippedLanguageFiles, EnglishTranslatesEveryTextAndKeepsItsDevices) {
  const platform::TIniFile file(kShippedDir + ShippedLanguageFileName("en"));
  const std::string missing = "\x01missing";
  for (const TTextRow& row : TextCatalogue()) {
    const std::string text = file.ReadString(row.WindowSection, row.WindowKey, missing);
    ASSERT_NE(text, missing) << row.Key;
    EXPECT_EQ(file.ReadString(row.Section, row.Key, missing), text) << row.Key;
    EXPECT_FALSE(text.empty()) << row.Key;
    // Placeholders and line-break markers are filled in by the program;
    // a translation that drops or adds one breaks the message.
    EXPECT_EQ(Count(text, "%s"), Count(row.WindowDefault, "%s")) << row.Key;
    EXPECT_EQ(Count(text, "[[linebreak]]"), Count(row.WindowDefault, "[[linebreak]]")) << row.Key;
    EXPECT_LE(Count(text, "&"), 1u) << row.Key;
    EXPECT_EQ(Count(text, "&") > 0, Count(row.WindowDefault, "&") > 0) << row.Key;
  }
}

// Two captions of one window with the same accelerator letter leave the
// second one out of reach of Alt plus that letter.
TEST(ShippedLanguageFiles, EnglishAcceleratorsOfOneWindowDiffer) {
  const platform::TIniFile file(kShippedDir + ShippedLanguageFileName("en"));
  std::map<std::string, std::map<char, std::string>> taken;  // window section -> letter -> key
  for (const TTextRow& row : TextCatalogue()) {
    const std::string text = file.ReadString(row.WindowSection, row.WindowKey, "");
    const std::size_t at = text.find('&');
    if (at == std::string::npos || at + 1 >= text.size()) continue;
    std::string section = row.WindowSection;
    std::transform(section.begin(), section.end(), section.begin(), [](unsigned char c) { return std::tolower(c); });
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at + 1])));
    const auto [entry, added] = taken[section].emplace(letter, row.Key);
    EXPECT_TRUE(added) << row.Key << " and " << entry->second << " share '" << letter << "'";
  }
}

}  // namespace
}  // namespace ratemill
