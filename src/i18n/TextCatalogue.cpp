#include "i18n/TextCatalogue.h"

#include "about/AboutAddresses.h"
#include "platform/IniFile.h"

namespace ratemill {

const char* const kConverterDownloadAddress = kConverterAddress;

std::string MissingSSRCDefault() {
  return std::string(
             "Die Datei \"ssrc.exe\" wurde nicht im Programmverzeichnis gefunden. "
             "Sie können das Programm SSRC unter ") +
         kConverterDownloadAddress + " herunterladen und die benötigte EXE-Datei in das Verzeichnis \"%s\" kopieren." +
         "[[linebreak]]" + "Wollen Sie die Downloadseite von SSRC aufrufen?";
}

namespace {

constexpr const char* kMain = "main window";
constexpr const char* kMainCap = "Main window";
constexpr const char* kInfo = "info window";
constexpr const char* kTrans = "translation window";
constexpr const char* kConsole = "console window";

std::array<TTextRow, kTextCount> BuildCatalogue() {
  const std::string missing = MissingSSRCDefault();
  // Row, grid label, editor section, editor key, window section, window key,
  // window default, editor default.
  return {{
      {0, "Group \"Files\"", kMainCap, "GroupFiles", kMainCap, "GroupFiles", "Dateien", "Dateien"},
      {1, "Group \"Options\"", kMain, "GroupOptions", kMain, "GroupOptions", "Optionen", "Optionen"},
      {2, "Button \"add Files\"", kMain, "OpenButton", kMain, "OpenButton", "Dateien hinzufügen", "Dateien hinzufügen"},
      {3, "Button \"delete\"", kMain, "DeleteButton", kMain, "DeleteButton", "Markierte Dateien &löschen",
       "Markierte Dateien &löschen"},
      {4, "Button \"cancel\"", kMain, "CancelButton", kMain, "CancelButton", "&Abbrechen", "&Abbrechen"},
      {5, "Button \"find folder\"", kMain, "FindFolderButton", kMain, "FindFolderButton", "Suchen...", "Suchen..."},
      {6, "Button \"All Files in a Directory Tree\"", kMain, "BatchButton", kMainCap, "BatchButton",
       "Verzeichnis mit Unterverzeichnissen", "Verzeichnis mit Unterverzeichnissen..."},
      {7, "Label \"Sample Rate\"", kMain, "LabelSampleRate", kMain, "LabelSampleRate", "Samplerate Zieldatei",
       "Samplerate Zieldatei"},
      {8, "DontChangeSampleRate", kMain, "DontChangeSampleRate", kMain, "DontChangeSampleRate", "nicht ändern",
       "nicht ändern"},
      {9, "DontChangeBitRate", kMain, "DontChangeBitRate", kMain, "DontChangeBitRate", "nicht ändern", "nicht ändern"},
      {10, "LabelAttenuation", kMain, "LabelAttenuation", kMain, "LabelAttenuation", "Signal-&Abschwächer in dB",
       "Signal-&Abschwächer in dB"},
      {11, "LabelTargetDir", kMain, "LabelTargetDir", kMain, "LabelTargetDir", "Ausgabe-&Verzeichnis",
       "Ausgabe-&Verzeichnis"},
      {12, "LabelBits", kMain, "LabelBits", kMain, "LabelBits", "Anzahl &Bits Zieldatei", "Anzahl &Bits Zieldatei"},
      {13, "LabelPDFofNoise", kMain, "LabelPDFofNoise", kMain, "LabelPDFofNoise", "Rauschen:", "Rauschen:"},
      {14, "CheckFast", kMain, "CheckFast", kMain, "CheckFast", "sch&nell", "sch&nell"},
      {15, "CheckTwoPass", kMain, "CheckTwoPass", kMain, "CheckTwoPass", "&Clippingschutz (Twopass processing)",
       "&Clippingschutz (Twopass processing)"},
      {16, "CheckNormalize", kMain, "CheckNormalize", kMain, "CheckNormalize", "&Normalisieren", "&Normalisieren"},
      {17, "GroupDither", kMain, "GroupDither", kMain, "GroupDither", "Dither", "Dither"},
      {18, "StartButton", kMain, "StartButton", kMain, "StartButton", "&Start", "&Start"},
      {19, "MissingSSRC", kMain, "MissingSSRC", kMain, "MissingSSRC", missing, missing},
      {20, "NoFilesSelected", kMain, "NoFilesSelected", kMain, "NoFilesSelected", "Achtung! Keine Dateien ausgewählt!",
       "Achtung! Keine Dateien ausgewählt!"},
      {21, "CreateNewDirQuery", kMain, "CreateNewDirQuery", kMain, "CreateNewDirQuery",
       "Das Verzeichnis %s existiert nicht. Soll es erzeugt werden?",
       "Das Verzeichnis %s existiert nicht. Soll es erzeugt werden?"},
      {22, "NoTmpFileName", kMain, "NoTmpFileName", kMain, "NoTmpFileName",
       "Sie haben keinen Dateinamen für den Parameter TmpFile angegeben. Bitte wählen Sie einen Pfad.",
       "Sie haben keinen Dateinamen für den Parameter TmpFile angegeben. Bitte wählen Sie einen Pfad."},
      {23, "TranslationCancelButton", kTrans, "cancelButton", kTrans, "cancelButton", "Abbrechen", "Abbrechen"},
      {24, "TranslationSaveButton", kTrans, "SaveButton", kTrans, "SaveButton", "Speichern", "Speichern"},
      {25, "TranslationWindowCaption", kTrans, "WindowCaption", kTrans, "WindowCaption",
       "Ratemill - Programm übersetzen", "Ratemill - Programm übersetzen"},
      {26, "InfoTranslateButton", kInfo, "TranslateButton", kInfo, "TranslateButton", "Programm übersetzen",
       "Programm übersetzen..."},
      {27, "EnableDebugMode", kInfo, "EnableDebugModeQuery", kInfo, "EnableDebugModeQuery",
       "soll der Debugmodus angeschaltet werden?", "soll der Debugmodus angeschaltet werden?"},
      {28, "DisableDebugMode", kInfo, "DisableDebugModeQuery", kInfo, "DisableDebugModeQuery",
       "soll der Debugmodus deaktiviert werden?", "soll der Debugmodus deaktiviert werden?"},
      {29, "StatusCheckParameters", kMain, "StatusCheckingParameters", kMain, "StatusCheckingParameters",
       "Überprüfe Optionen...", "Überprüfe Optionen..."},
      {30, "StatusProcessFile", kMain, "StatusProcessingFile", kMain, "StatusProcessingFile",
       "Bearbeite Datei:", "Bearbeite Datei:"},
      {31, "TempFileCheckBox", kMain, "TempFileCheckBox", kMain, "TempFileCheckBox", "Temp-File:", "Temp-File:"},
      {32, "HPCheckBox", kMain, "HPCheckBox", kMain, "HPCheckbox", "Benutze SSRC_HP.exe", "Benutze SSRC_HP.exe"},
      {33, "UseOldBatchModeCheckbox", kMain, "UseOldBatchModeLabel", kMain, "UseOldBatchModeLabel",
       "Benutze Batch-Methode (alt)", "Benutze Batch-Methode (alt)"},
      {34, "PrioForSSRCLabel", kMain, "PrioForSSRCLabel", kMain, "PrioForSSRCLabel", "Priorität für SSRC.EXE",
       "Priorität für SSRC.EXE"},
      {35, "PrioLow", kMain, "PrioLow", kMain, "PrioLow", "niedrig", "niedrig"},
      {36, "PrioNormal", kMain, "PrioNormal", kMain, "PrioNormal", "normal", "normal"},
      {37, "PrioHigh", kMain, "PrioHigh", kMain, "PrioHigh", "hoch", "hoch"},
      // Newer texts follow the older ones, so that translators find every
      // older text in the editor's row where it always stood.
      {38, "LabelConcurrentJobs", kMain, "LabelConcurrentJobs", kMain, "LabelConcurrentJobs",
       "&Gleichzeitige Konvertierungen", "&Gleichzeitige Konvertierungen"},
      {39, "InvalidAttenuation", kMain, "InvalidAttenuation", kMain, "InvalidAttenuation",
       "Ungültiger Wert im Feld „Abschwächer“: bitte eine Zahl in dB eingeben, zum Beispiel 0 oder 1.5.",
       "Ungültiger Wert im Feld „Abschwächer“: bitte eine Zahl in dB eingeben, zum Beispiel 0 oder 1.5."},
      // The run's overview: the status table of the console window, the
      // progress in the main window's status bar and the summary at the end.
      {40, "ColumnFile", kConsole, "ColumnFile", kConsole, "ColumnFile", "Datei", "Datei"},
      {41, "ColumnState", kConsole, "ColumnState", kConsole, "ColumnState", "Status", "Status"},
      {42, "ColumnProgress", kConsole, "ColumnProgress", kConsole, "ColumnProgress", "Fortschritt", "Fortschritt"},
      {43, "ColumnTime", kConsole, "ColumnTime", kConsole, "ColumnTime", "Zeit", "Zeit"},
      {44, "ColumnResult", kConsole, "ColumnResult", kConsole, "ColumnResult", "Ergebnis", "Ergebnis"},
      {45, "ColumnNote", kConsole, "ColumnNote", kConsole, "ColumnNote", "Hinweis", "Hinweis"},
      {46, "StateWaiting", kConsole, "StateWaiting", kConsole, "StateWaiting", "wartet", "wartet"},
      {47, "StateRunning", kConsole, "StateRunning", kConsole, "StateRunning", "läuft", "läuft"},
      {48, "StateDone", kConsole, "StateDone", kConsole, "StateDone", "fertig", "fertig"},
      {49, "StateFailed", kConsole, "StateFailed", kConsole, "StateFailed", "fehlgeschlagen", "fehlgeschlagen"},
      {50, "StateSkipped", kConsole, "StateSkipped", kConsole, "StateSkipped", "übersprungen", "übersprungen"},
      {51, "StateCancelled", kConsole, "StateCancelled", kConsole, "StateCancelled", "abgebrochen", "abgebrochen"},
      {52, "ResultFormat", kConsole, "ResultFormat", kConsole, "ResultFormat", "%1 Hz, %2 Bit", "%1 Hz, %2 Bit"},
      {53, "StatusTableName", kConsole, "StatusTableName", kConsole, "StatusTableName", "Status der Dateien",
       "Status der Dateien"},
      {54, "ProgressCount", kMain, "ProgressCount", kMain, "ProgressCount", "%1 von %2", "%1 von %2"},
      {55, "ProgressTimeLeft", kMain, "ProgressTimeLeft", kMain, "ProgressTimeLeft", "noch %1", "noch %1"},
      {56, "SummaryFiles", kMain, "SummaryFiles", kMain, "SummaryFiles", "%1 Dateien", "%1 Dateien"},
      {57, "SummaryConverted", kMain, "SummaryConverted", kMain, "SummaryConverted", "%1 konvertiert",
       "%1 konvertiert"},
      {58, "SummaryFailed", kMain, "SummaryFailed", kMain, "SummaryFailed", "%1 fehlgeschlagen", "%1 fehlgeschlagen"},
      {59, "SummarySkipped", kMain, "SummarySkipped", kMain, "SummarySkipped", "%1 übersprungen", "%1 übersprungen"},
      {60, "SummaryCancelled", kMain, "SummaryCancelled", kMain, "SummaryCancelled", "%1 abgebrochen",
       "%1 abgebrochen"},
      {61, "FailedFilesBox", kMain, "FailedFilesBox", kMain, "FailedFilesBox",
       "Diese Dateien wurden nicht konvertiert:", "Diese Dateien wurden nicht konvertiert:"},
      {62, "MoreFailedFiles", kMain, "MoreFailedFiles", kMain, "MoreFailedFiles", "… und %1 weitere",
       "… und %1 weitere"},
      {63, "OutputExistsReason", kMain, "OutputExistsReason", kMain, "OutputExistsReason", "Zieldatei vorhanden",
       "Zieldatei vorhanden"},
      {64, "SummaryOneFile", kMain, "SummaryOneFile", kMain, "SummaryOneFile", "1 Datei", "1 Datei"},
  }};
}

}  // namespace

const std::array<TTextRow, kTextCount>& TextCatalogue() {
  static const std::array<TTextRow, kTextCount> catalogue = BuildCatalogue();
  return catalogue;
}

const TTextRow& CatalogueRow(TTextId id) { return TextCatalogue().at(static_cast<std::size_t>(id)); }

std::string LanguageFileName(const std::string& dataDir) { return dataDir + "language.ini"; }

std::string ReadWindowText(const platform::TIniFile& file, TTextId id) {
  const TTextRow& row = CatalogueRow(id);
  return file.ReadString(row.WindowSection, row.WindowKey, row.WindowDefault);
}

std::string ReadEditorText(const platform::TIniFile& file, TTextId id) {
  const TTextRow& row = CatalogueRow(id);
  return file.ReadString(row.Section, row.Key, row.EditorDefault);
}

void WriteEditorText(platform::TIniFile& file, TTextId id, const std::string& text) {
  const TTextRow& row = CatalogueRow(id);
  file.WriteString(row.Section, row.Key, text);
}

}  // namespace ratemill
