#include <gtest/gtest.h>

#include <string>

#include "platform/CodePage.h"

namespace ratemill::platform {
namespace {

TEST(CodePage, ValidTextRoundTripsExactly) {
  struct TCase {
    std::string Ansi;
    std::u16string Utf16;
  };
  const TCase cases[] = {
      {"", u""},
      {"Dateien", u"Dateien"},
      {"Markierte Dateien &löschen", u"Markierte Dateien &l\u00F6schen"},
      {"nicht \xC3\xA4ndern", u"nicht \u00E4ndern"},
      {"\xE2\x82\xAC 5", u"\u20AC 5"},      // three bytes
      {"\xF0\x9D\x84\x9E", u"\U0001D11E"},  // four bytes, a surrogate pair
      {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},  // the last character
      {"\xEF\xBF\xBF", u"\uFFFF"},
      {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},  // NUL is a character
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToUtf16(c.Ansi), c.Utf16) << c.Ansi;
    EXPECT_EQ(Utf16ToAnsi(c.Utf16), c.Ansi) << c.Ansi;
  }
}

TEST(CodePage, BrokenUtf8BecomesReplacementCharacters) {
  struct TCase {
    const char* Name;
    std::string Ansi;
    std::u16string Utf16;
  };
  const TCase cases[] = {
      {"stray continuation byte", "a\x80z", u"a\uFFFDz"},
      {"Latin-1 byte",
       "Gr\xFC\xDF"
       "e",
       u"Gr\uFFFD\uFFFDe"},
      {"sequence cut by the end", "ab\xE2\x82", u"ab\uFFFD"},
      {"sequence cut by ASCII", "\xE2\x82x", u"\uFFFDx"},
      {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"invalid lead", "\xFF\xFE", u"\uFFFD\uFFFD"},
      {"valid text after a broken one", "\xC3\xC3\xA4", u"\uFFFD\u00E4"},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiToUtf16(c.Ansi), c.Utf16) << c.Name;
}

TEST(CodePage, LoneSurrogatesBecomeTheDefaultCharacter) {
  struct TCase {
    std::u16string Utf16;
    std::string Ansi;
  };
  const TCase cases[] = {
      {u"a\xD800", "a?"},
      {u"\xD800z", "?z"},
      {u"\xDC00", "?"},
      {u"\xDC00\xD800", "??"},                       // the wrong order is no pair
      {u"\xD83D\xD83D\xDE00", "?\xF0\x9F\x98\x80"},  // a high one, then a real pair
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToAnsi(c.Utf16), c.Ansi);
}

TEST(CodePage, OemIsTheSameAsTheSystemCodePage) {
  const std::string arguments = " --rate 44100 \"/m\xC3\xBCsik/a.wav\" \"/out/a_44-16.wav\"";
  EXPECT_EQ(Ansi2OEM(arguments), arguments);
}

}  // namespace
}  // namespace ratemill::platform
