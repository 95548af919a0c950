// The language file applied to the main window, the About window and the
// translation editor.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "GuiFixture.h"
#include "about/InfoForm.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "frontend/RunStatusModel.h"
#include "i18n/TextCatalogue.h"
#include "i18n/TranslateForm.h"
#include "platform/IniFile.h"

using namespace ratemill;

namespace {

// Every caption the main window takes from the file, by its key.
struct TCaption {
  const char* Key;
  std::function<QString(const TMainForm&)> Text;
};

QString Message(const TMainForm& form, TTextId id) { return QString::fromStdString(form.MessageText(id)); }

std::vector<TCaption> MainWindowCaptions() {
  return {
      {"BatchButton", [](const TMainForm& f) { return f.BatchAddFilesButton->text(); }},
      {"GroupFiles", [](const TMainForm& f) { return f.FilesGroupBox->title(); }},
      {"GroupOptions", [](const TMainForm& f) { return f.GroupOptions->title(); }},
      {"OpenButton", [](const TMainForm& f) { return f.OpenButton->text(); }},
      {"DeleteButton", [](const TMainForm& f) { return f.DeleteButton->text(); }},
      {"CancelButton", [](const TMainForm& f) { return f.CancelButton->text(); }},
      {"FindFolderButton", [](const TMainForm& f) { return f.FindFolderButton->text(); }},
      {"LabelSampleRate", [](const TMainForm& f) { return f.LabelSampleRate->text(); }},
      {"DontChangeSampleRate", [](const TMainForm& f) { return f.ComboSampleRate->itemText(0); }},
      {"DontChangeBitRate", [](const TMainForm& f) { return f.ComboBits->itemText(0); }},
      {"LabelAttenuation", [](const TMainForm& f) { return f.LabelAttenuation->text(); }},
      {"LabelTargetDir", [](const TMainForm& f) { return f.LabelTargetDir->text(); }},
      {"LabelBits", [](const TMainForm& f) { return f.LabelBits->text(); }},
      {"LabelPDFofNoise", [](const TMainForm& f) { return f.LabelPDFofNoise->text(); }},
      {"CheckFast", [](const TMainForm& f) { return f.CheckFast->text(); }},
      {"CheckTwoPass", [](const TMainForm& f) { return f.CheckTwoPass->text(); }},
      {"CheckNormalize", [](const TMainForm& f) { return f.CheckNormalize->text(); }},
      {"GroupDither", [](const TMainForm& f) { return f.GroupDither->title(); }},
      {"StartButton", [](const TMainForm& f) { return f.StartButton->text(); }},
      {"TempFileCheckBox", [](const TMainForm& f) { return f.TempFileCheckBox->text(); }},
      {"HPCheckbox", [](const TMainForm& f) { return f.HPCheckbox->text(); }},
      {"UseOldBatchModeLabel", [](const TMainForm& f) { return f.UseOldBatchModeCheckbox->text(); }},
      {"PrioForSSRCLabel", [](const TMainForm& f) { return f.PrioForSSRCLabel->text(); }},
      {"PrioLow", [](const TMainForm& f) { return f.PrioComboBox->itemText(0); }},
      {"PrioNormal", [](const TMainForm& f) { return f.PrioComboBox->itemText(1); }},
      {"PrioHigh", [](const TMainForm& f) { return f.PrioComboBox->itemText(2); }},
      {"LabelConcurrentJobs", [](const TMainForm& f) { return f.LabelConcurrentJobs->text(); }},
      {"MissingSSRC", [](const TMainForm& f) { return Message(f, TTextId::MissingSSRC); }},
      {"NoFilesSelected", [](const TMainForm& f) { return Message(f, TTextId::NoFilesSelected); }},
      {"CreateNewDirQuery", [](const TMainForm& f) { return Message(f, TTextId::CreateNewDirQuery); }},
      {"StatusCheckingParameters", [](const TMainForm& f) { return Message(f, TTextId::StatusCheckParameters); }},
      {"StatusProcessingFile", [](const TMainForm& f) { return Message(f, TTextId::StatusProcessFile); }},
      {"NoTmpFileName", [](const TMainForm& f) { return Message(f, TTextId::NoTmpFileName); }},
      {"InvalidAttenuation", [](const TMainForm& f) { return Message(f, TTextId::InvalidAttenuation); }},
      {"ProgressCount", [](const TMainForm& f) { return Message(f, TTextId::ProgressCount); }},
      {"ProgressTimeLeft", [](const TMainForm& f) { return Message(f, TTextId::ProgressTimeLeft); }},
      {"SummaryFiles", [](const TMainForm& f) { return Message(f, TTextId::SummaryFiles); }},
      {"SummaryOneFile", [](const TMainForm& f) { return Message(f, TTextId::SummaryOneFile); }},
      {"SummaryConverted", [](const TMainForm& f) { return Message(f, TTextId::SummaryConverted); }},
      {"SummaryFailed", [](const TMainForm& f) { return Message(f, TTextId::SummaryFailed); }},
      {"SummarySkipped", [](const TMainForm& f) { return Message(f, TTextId::SummarySkipped); }},
      {"SummaryCancelled", [](const TMainForm& f) { return Message(f, TTextId::SummaryCancelled); }},
      {"FailedFilesBox", [](const TMainForm& f) { return Message(f, TTextId::FailedFilesBox); }},
      {"MoreFailedFiles", [](const TMainForm& f) { return Message(f, TTextId::MoreFailedFiles); }},
      {"OutputExistsReason", [](const TMainForm& f) { return Message(f, TTextId::OutputExistsReason); }},
  };
}

QString WindowDefault(const char* key) {
  for (const TTextRow& row : TextCatalogue()) {
    if (row.WindowKey == key) return QString::fromStdString(row.WindowDefault);
  }
  return "<no such key>";
}

}  // namespace

class WindowLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutFileEveryWindowShowsTheDefaults();
  void everyMainWindowTextComesFromItsKey();
  void fileValuesWhateverTheirSpelling_data();
  void fileValuesWhateverTheirSpelling();
  void retextingKeepsTheSelections();
  void retextedSelectedItemShowsAtOnce();
  void editorSavedTextsReplaceTheWindowDefaults();
  void aboutWindowAndEditorTakeTheirTexts();
  void consoleWindowTextsComeFromTheirKeys();
};

void WindowLanguageTest::withoutFileEveryWindowShowsTheDefaults() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  TInfoForm info(fixture.Services());
  TTranslateForm editor(fixture.Services());

  for (const TCaption& caption : MainWindowCaptions()) {
    QCOMPARE(caption.Text(*form), WindowDefault(caption.Key));
  }
  QCOMPARE(form->BatchAddFilesButton->text(), QString("Verzeichnis mit Unterverzeichnissen"));
  QCOMPARE(info.TranslateButton->text(), QString::fromUtf8("Programm übersetzen"));
  QCOMPARE(info.FMsgEnableDebugMode, std::string("soll der Debugmodus angeschaltet werden?"));
  QCOMPARE(info.FMsgDisableDebugMode, std::string("soll der Debugmodus deaktiviert werden?"));
  QCOMPARE(editor.SaveTranslationButton->text(), QString("Speichern"));
  QCOMPARE(editor.CancelEditTranslationButton->text(), QString("Abbrechen"));
  QCOMPARE(editor.windowTitle(), QString::fromUtf8("Ratemill - Programm übersetzen"));
  QVERIFY(!std::filesystem::exists(fixture.LanguageFile()));
}

// A file that sets every key to a text of its own shows each one in its own
// place: no two controls are fed from the same key, none from a wrong one.
void WindowLanguageTest::everyMainWindowTextComesFromItsKey() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  std::string file = "[main window]\r\n";
  for (const TCaption& caption : MainWindowCaptions()) file += std::string(caption.Key) + "=T-" + caption.Key + "\r\n";
  fixture.WriteLanguage(file);

  auto form = fixture.CreateMainForm();

  for (const TCaption& caption : MainWindowCaptions()) {
    QCOMPARE(caption.Text(*form), QString("T-") + caption.Key);
  }
}

void WindowLanguageTest::fileValuesWhateverTheirSpelling_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QString>("start");
  QTest::addColumn<QString>("hp");
  QTest::newRow("headers and keys in capitals") << "[MAIN WINDOW]\r\nSTARTBUTTON=&Los\r\nHPCHECKBOX=HP\r\n"
                                                << "&Los"
                                                << "HP";
  QTest::newRow("empty value gives an empty caption") << "[main window]\r\nStartButton=\r\n"
                                                      << ""
                                                      << "Benutze SSRC_HP.exe";
  QTest::newRow("quotes and blanks dropped") << "[main window]\r\nStartButton=   \"Los geht's\"   \r\n"
                                             << "Los geht's"
                                             << "Benutze SSRC_HP.exe";
  QTest::newRow("editor's spelling of the high-precision key") << "[main window]\r\nHPCheckBox=Hochpräzise\r\n"
                                                               << "&Start" << QString::fromUtf8("Hochpräzise");
  QTest::newRow("key in another section is not used") << "[info window]\r\nStartButton=Los\r\n"
                                                      << "&Start"
                                                      << "Benutze SSRC_HP.exe";
}

void WindowLanguageTest::fileValuesWhateverTheirSpelling() {
  QFETCH(QString, file);
  QFETCH(QString, start);
  QFETCH(QString, hp);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.WriteLanguage(file.toStdString());

  auto form = fixture.CreateMainForm();

  QCOMPARE(form->StartButton->text(), start);
  QCOMPARE(form->HPCheckbox->text(), hp);
}

void WindowLanguageTest::retextingKeepsTheSelections() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(2);
  form->ComboBits->setCurrentIndex(3);
  form->PrioComboBox->setCurrentIndex(2);
  fixture.WriteLanguage(
      "[main window]\nDontChangeSampleRate=keep rate\nDontChangeBitRate=keep bits\nPrioLow=low\nPrioNormal=normal\n"
      "PrioHigh=high\n");

  form->ApplyLanguage();

  QCOMPARE(form->ComboSampleRate->currentIndex(), 2);
  QCOMPARE(form->ComboSampleRate->currentText(), QString("44100"));
  QCOMPARE(form->ComboSampleRate->itemText(0), QString("keep rate"));
  QCOMPARE(form->ComboBits->currentIndex(), 3);
  QCOMPARE(form->ComboBits->itemText(0), QString("keep bits"));
  QCOMPARE(form->PrioComboBox->currentIndex(), 2);
  QCOMPARE(form->PrioComboBox->currentText(), QString("high"));
  QCOMPARE(form->PrioComboBox->itemText(0), QString("low"));
  QCOMPARE(form->ComboSampleRate->count(), 6);
  QCOMPARE(form->PrioComboBox->count(), 3);
}

void WindowLanguageTest::retextedSelectedItemShowsAtOnce() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  QCOMPARE(form->ComboSampleRate->currentIndex(), 0);
  fixture.WriteLanguage("[main window]\nDontChangeSampleRate=unverändert & gut\n");

  form->ApplyLanguage();

  // In a list item "&" is plain text.
  QCOMPARE(form->ComboSampleRate->currentText(), QString::fromUtf8("unverändert & gut"));
}

void WindowLanguageTest::editorSavedTextsReplaceTheWindowDefaults() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  TInfoForm info(fixture.Services());
  QCOMPARE(form->BatchAddFilesButton->text(), QString("Verzeichnis mit Unterverzeichnissen"));

  {
    platform::TIniFile file(fixture.LanguageFile());
    for (const TTextRow& row : TextCatalogue()) {
      WriteEditorText(file, static_cast<TTextId>(row.Row), ReadEditorText(file, static_cast<TTextId>(row.Row)));
    }
  }
  form->ApplyLanguage();
  info.ApplyLanguage();

  QCOMPARE(form->BatchAddFilesButton->text(), QString("Verzeichnis mit Unterverzeichnissen..."));
  QCOMPARE(info.TranslateButton->text(), QString::fromUtf8("Programm übersetzen..."));
  QCOMPARE(form->HPCheckbox->text(), QString("Benutze SSRC_HP.exe"));
}

void WindowLanguageTest::aboutWindowAndEditorTakeTheirTexts() {
  test::TGuiFixture fixture;
  fixture.WriteLanguage(
      "[Info Window]\nTranslateButton=Translate\nEnableDebugModeQuery=Debug on?\nDisableDebugModeQuery=Debug off?\n"
      "[TRANSLATION WINDOW]\ncancelbutton=Cancel\nSaveButton=Save\nWindowCaption=Translate Ratemill\n");

  TInfoForm info(fixture.Services());
  TTranslateForm editor(fixture.Services());

  QCOMPARE(info.TranslateButton->text(), QString("Translate"));
  QCOMPARE(info.FMsgEnableDebugMode, std::string("Debug on?"));
  QCOMPARE(info.FMsgDisableDebugMode, std::string("Debug off?"));
  QCOMPARE(editor.CancelEditTranslationButton->text(), QString("Cancel"));
  QCOMPARE(editor.SaveTranslationButton->text(), QString("Save"));
  QCOMPARE(editor.windowTitle(), QString("Translate Ratemill"));
}

// The status table's captions: every column and state from its own key of
// the console window's section, handed on when the window joins the main
// window and again whenever the language is applied.
void WindowLanguageTest::consoleWindowTextsComeFromTheirKeys() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  auto* console = new TConsoleOutputForm(form.get());
  form->SetConsoleOutputForm(console);
  TRunStatusModel& model = *console->RunStatus;
  model.Reset({"/a.wav", "/b.wav", "/c.wav", "/d.wav", "/e.wav", "/f.wav"});
  QCOMPARE(model.headerData(TRunStatusModel::colFile, Qt::Horizontal).toString(), QString("Datei"));
  QCOMPARE(console->RunStatusView->accessibleName(), QString("Status der Dateien"));

  const char* columns[] = {"ColumnFile", "ColumnState", "ColumnProgress", "ColumnTime", "ColumnResult", "ColumnNote"};
  const char* states[] = {"StateWaiting", "StateRunning", "StateDone", "StateFailed", "StateSkipped", "StateCancelled"};
  std::string file = "[console window]\n";
  for (const char* key : columns) file += std::string(key) + "=T-" + key + "\n";
  for (const char* key : states) file += std::string(key) + "=T-" + key + "\n";
  file += "ResultFormat=%2 bits at %1 Hz\nStatusTableName=T-StatusTableName\n";
  fixture.WriteLanguage(file);
  form->ApplyLanguage();

  for (int column = 0; column < TRunStatusModel::kColumnCount; ++column)
    QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), QString("T-") + columns[column]);
  const auto now = TRunStatusModel::Clock::now();
  model.SetRunning(1, now);
  model.SetEnded(2, TFileState::Done, "", false, TWavFormat{48000, 24}, now);
  model.SetEnded(3, TFileState::Failed, "why", false, std::nullopt, now);
  model.SetEnded(4, TFileState::Skipped, "why", false, std::nullopt, now);
  model.SetEnded(5, TFileState::Cancelled, "", false, std::nullopt, now);
  for (int row = 0; row < 6; ++row)
    QCOMPARE(model.data(model.index(row, TRunStatusModel::colState)).toString(), QString("T-") + states[row]);
  QCOMPARE(model.data(model.index(2, TRunStatusModel::colResult)).toString(), QString("24 bits at 48000 Hz"));
  QCOMPARE(console->RunStatusView->accessibleName(), QString("T-StatusTableName"));
}

QTEST_MAIN(WindowLanguageTest)
#include "WindowLanguageTest.moc"
