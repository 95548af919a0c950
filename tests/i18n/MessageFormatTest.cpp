#include "i18n/MessageFormat.h"

#include <gtest/gtest.h>

#include "i18n/TextCatalogue.h"

namespace ratemill {
namespace {

struct TFormatCase {
  const char* Name;
  std::string Text;
  std::string Folder;
  std::string Expected;
};

class MissingConverterMessageTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(MissingConverterMessageTest, FormatsSafely) {
  const TFormatCase& c = GetParam();
  EXPECT_EQ(FormatMissingConverterMessage(c.Text, c.Folder), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, MissingConverterMessageTest,
    testing::Values(TFormatCase{"OnePlaceholder", "Kopieren nach \"%s\".", "/opt/rm/", "Kopieren nach \"/opt/rm/\"."},
                    TFormatCase{"NoPlaceholder", "Kein Platzhalter", "/opt/rm/", "Kein Platzhalter"},
                    TFormatCase{"Empty", "", "/opt/rm/", ""},
                    TFormatCase{"SeveralDirectives", "%s %s %d %", "/p/", "/p/ %s %d %"},
                    TFormatCase{"LonePercent", "%", "/p/", "%"},
                    TFormatCase{"TrailingPercentAfterPlaceholder", "100%s%%", "/p/", "100/p/%%"},
                    TFormatCase{"IntegerDirectiveFirst", "%d vor %s", "/p/", "%d vor /p/"},
                    TFormatCase{"WideDirectives", "%ls %n %*d %s", "/p/", "%ls %n %*d /p/"},
                    TFormatCase{"MarkerAnyCase", "a[[linebreak]]b[[LineBreak]]c[[LINEBREAK]]d", "/p/",
                                "a\r\nb\r\nc\r\nd"},
                    TFormatCase{"MarkersBackToBack", "[[lineBREAK]][[linebreak]]", "/p/", "\r\n\r\n"},
                    TFormatCase{"MarkerCutShort", "x[[linebreak]", "/p/", "x[[linebreak]"},
                    TFormatCase{"MarkerAndPlaceholder", "in \"%s\"[[LineBreak]]laden?", "/p/", "in \"/p/\"\r\nladen?"},
                    // The folder is filled in last and only once: its own "%s" and
                    // markers are part of a path, not of the template.
                    TFormatCase{"FolderIsNotReinterpreted", "%s|%s", "/a%s[[linebreak]]/", "/a%s[[linebreak]]/|%s"}),
    [](const testing::TestParamInfo<TFormatCase>& info) { return std::string(info.param.Name); });

TEST(MissingConverterMessageTest, DefaultTextNamesFolderAndAddressAndAsksOnASecondLine) {
  const std::string shown = FormatMissingConverterMessage(MissingSSRCDefault(), "/opt/ratemill/");
  EXPECT_EQ(shown,
            "Die Datei \"ssrc.exe\" wurde nicht im Programmverzeichnis gefunden. Sie können das Programm SSRC unter "
            "https://shibatch.sourceforge.net/ herunterladen und die benötigte EXE-Datei in das Verzeichnis "
            "\"/opt/ratemill/\" kopieren.\r\nWollen Sie die Downloadseite von SSRC aufrufen?");
}

}  // namespace
}  // namespace ratemill
