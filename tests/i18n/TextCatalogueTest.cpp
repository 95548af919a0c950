#include "i18n/TextCatalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <set>
#include <utility>

#include "TempDir.h"
#include "platform/IniFile.h"

namespace ratemill {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

TEST(TextCatalogueTest, RowsAreInGridOrderAndNameDistinctEntries) {
  const auto& rows = TextCatalogue();
  std::set<std::pair<std::string, std::string>> entries;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].GridLabel);
    EXPECT_EQ(rows[i].Row, static_cast<int>(i));
    // The window and the editor must address the same entry, whatever the spelling.
    EXPECT_EQ(Lower(rows[i].Section), Lower(rows[i].WindowSection));
    EXPECT_EQ(Lower(rows[i].Key), Lower(rows[i].WindowKey));
    EXPECT_TRUE(entries.insert({Lower(rows[i].Section), Lower(rows[i].Key)}).second) << "entry used twice";
  }
}

// Where the window and the editor differ; every other row must agree letter
// for letter, so a stray difference elsewhere is caught too.
TEST(TextCatalogueTest, WindowAndEditorDifferOnlyWhereOlderFilesExpectIt) {
  struct TDifference {
    TTextId Id;
    const char* WindowSection;
    const char* Section;
    const char* WindowKey;
    const char* Key;
    const char* WindowDefault;
    const char* EditorDefault;
  };
  const TDifference differences[] = {
      {TTextId::GroupFiles, "Main window", "Main window", "GroupFiles", "GroupFiles", "Dateien", "Dateien"},
      {TTextId::BatchButton, "Main window", "main window", "BatchButton", "BatchButton",
       "Verzeichnis mit Unterverzeichnissen", "Verzeichnis mit Unterverzeichnissen..."},
      {TTextId::InfoTranslateButton, "info window", "info window", "TranslateButton", "TranslateButton",
       "Programm übersetzen", "Programm übersetzen..."},
      {TTextId::HPCheckBox, "main window", "main window", "HPCheckbox", "HPCheckBox", "Benutze SSRC_HP.exe",
       "Benutze SSRC_HP.exe"},
  };
  for (const TDifference& d : differences) {
    const TTextRow& row = CatalogueRow(d.Id);
    SCOPED_TRACE(row.GridLabel);
    EXPECT_EQ(row.WindowSection, d.WindowSection);
    EXPECT_EQ(row.Section, d.Section);
    EXPECT_EQ(row.WindowKey, d.WindowKey);
    EXPECT_EQ(row.Key, d.Key);
    EXPECT_EQ(row.WindowDefault, d.WindowDefault);
    EXPECT_EQ(row.EditorDefault, d.EditorDefault);
  }
  for (const TTextRow& row : TextCatalogue()) {
    const bool listed = std::any_of(std::begin(differences), std::end(differences),
                                    [&](const TDifference& d) { return static_cast<int>(d.Id) == row.Row; });
    if (listed) continue;
    SCOPED_TRACE(row.GridLabel);
    EXPECT_EQ(row.WindowSection, row.Section);
    EXPECT_EQ(row.WindowKey, row.Key);
    EXPECT_EQ(row.WindowDefault, row.EditorDefault);
  }
}

// Language files written by earlier versions hold these entries: each of
// them must stay in its row under its section and key, so that older files
// and the editor's rows keep meaning the same texts.
TEST(TextCatalogueTest, OlderEntriesKeepTheirRowsSectionsAndKeys) {
  const char* const older[] = {"Main window/GroupFiles",
                               "main window/GroupOptions",
                               "main window/OpenButton",
                               "main window/DeleteButton",
                               "main window/CancelButton",
                               "main window/FindFolderButton",
                               "main window/BatchButton",
                               "main window/LabelSampleRate",
                               "main window/DontChangeSampleRate",
                               "main window/DontChangeBitRate",
                               "main window/LabelAttenuation",
                               "main window/LabelTargetDir",
                               "main window/LabelBits",
                               "main window/LabelPDFofNoise",
                               "main window/CheckFast",
                               "main window/CheckTwoPass",
                               "main window/CheckNormalize",
                               "main window/GroupDither",
                               "main window/StartButton",
                               "main window/MissingSSRC",
                               "main window/NoFilesSelected",
                               "main window/CreateNewDirQuery",
                               "main window/NoTmpFileName",
                               "translation window/cancelButton",
                               "translation window/SaveButton",
                               "translation window/WindowCaption",
                               "info window/TranslateButton",
                               "info window/EnableDebugModeQuery",
                               "info window/DisableDebugModeQuery",
                               "main window/StatusCheckingParameters",
                               "main window/StatusProcessingFile",
                               "main window/TempFileCheckBox",
                               "main window/HPCheckBox",
                               "main window/UseOldBatchModeLabel",
                               "main window/PrioForSSRCLabel",
                               "main window/PrioLow",
                               "main window/PrioNormal",
                               "main window/PrioHigh"};
  ASSERT_GE(TextCatalogue().size(), std::size(older));
  for (std::size_t i = 0; i < std::size(older); ++i) {
    EXPECT_EQ(TextCatalogue()[i].Section + "/" + TextCatalogue()[i].Key, older[i]) << "row " << i;
  }
}

TEST(TextCatalogueTest, MissingConverterDefaultHoldsOnePlaceholderAndOneMarker) {
  const std::string text = CatalogueRow(TTextId::MissingSSRC).WindowDefault;
  EXPECT_EQ(text, MissingSSRCDefault());
  EXPECT_NE(text.find(kConverterDownloadAddress), std::string::npos);
  EXPECT_EQ(text.find("%s"), text.rfind("%s"));
  EXPECT_NE(text.find("%s"), std::string::npos);
  EXPECT_NE(text.find("[[linebreak]]"), std::string::npos);
}

class LanguageFileTest : public testing::Test {
 protected:
  std::string FileName() const { return LanguageFileName(FDir.Path()); }
  void Write(const std::string& content) const { WriteFile(FileName(), content); }

  TTempDir FDir;
};

TEST_F(LanguageFileTest, PathIsBesideTheProgram) { EXPECT_EQ(FileName(), FDir.Path() + "language.ini"); }

TEST_F(LanguageFileTest, MissingFileGivesTheDefaultsOfEachSideAndCreatesNothing) {
  const platform::TIniFile file(FileName());
  for (const TTextRow& row : TextCatalogue()) {
    SCOPED_TRACE(row.GridLabel);
    EXPECT_EQ(ReadWindowText(file, static_cast<TTextId>(row.Row)), row.WindowDefault);
    EXPECT_EQ(ReadEditorText(file, static_cast<TTextId>(row.Row)), row.EditorDefault);
  }
  EXPECT_FALSE(std::filesystem::exists(FileName()));
}

TEST_F(LanguageFileTest, ReadsValuesWhateverTheirSpelling) {
  struct TCase {
    const char* Name;
    std::string Content;
    TTextId Id;
    std::string Window;
    std::string Editor;
  };
  const std::string longValue(3000, 'x');
  const TCase cases[] = {
      {"upper-case header and key", "[MAIN WINDOW]\r\nSTARTBUTTON=Los\r\n", TTextId::StartButton, "Los", "Los"},
      {"empty value is no default", "[main window]\r\nStartButton=\r\n", TTextId::StartButton, "", ""},
      {"double quotes and blanks", "[main window]\r\nStartButton =  \"  Los \"  \r\n", TTextId::StartButton, "  Los ",
       "  Los "},
      {"single quotes", "[info window]\r\nTranslateButton='Übersetzen'\r\n", TTextId::InfoTranslateButton, "Übersetzen",
       "Übersetzen"},
      {"one key for both spellings of the high-precision box", "[main window]\nhpcheckbox=HP\n", TTextId::HPCheckBox,
       "HP", "HP"},
      {"section spelled as the editor writes it", "[main window]\nBatchButton=Baum\n", TTextId::BatchButton, "Baum",
       "Baum"},
      {"key in another section is not the text", "[info window]\nStartButton=Los\n", TTextId::StartButton, "&Start",
       "&Start"},
      {"value cut after 2047 characters", "[main window]\nNoFilesSelected=" + longValue + "\n",
       TTextId::NoFilesSelected, std::string(2047, 'x'), std::string(2047, 'x')},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Write(c.Content);
    const platform::TIniFile file(FileName());
    EXPECT_EQ(ReadWindowText(file, c.Id), c.Window);
    EXPECT_EQ(ReadEditorText(file, c.Id), c.Editor);
  }
}

TEST_F(LanguageFileTest, EditorWritesEachEntryUnderItsCatalogueSpelling) {
  {
    platform::TIniFile file(FileName());
    WriteEditorText(file, TTextId::GroupFiles, "Files");
    WriteEditorText(file, TTextId::HPCheckBox, "HP");
    WriteEditorText(file, TTextId::BatchButton, "Tree");
    WriteEditorText(file, TTextId::StartButton, "");
  }
  const std::string content = ReadFile(FileName());
  EXPECT_NE(content.find("[Main window]"), std::string::npos) << content;
  EXPECT_EQ(content.find("[main window]"), std::string::npos) << "one section only: " << content;
  EXPECT_NE(content.find("HPCheckBox=HP"), std::string::npos) << content;

  const platform::TIniFile file(FileName());
  EXPECT_EQ(ReadWindowText(file, TTextId::HPCheckBox), "HP");
  EXPECT_EQ(ReadWindowText(file, TTextId::BatchButton), "Tree");
  EXPECT_EQ(ReadWindowText(file, TTextId::StartButton), "");
}

}  // namespace
}  // namespace ratemill
