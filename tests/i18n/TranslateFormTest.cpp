// The translation editor: filling the grid from the language file, saving it
// back, cancelling, failed saves, and the grid's fixed name column.
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "AboutWindows.h"
#include "TempDir.h"
#include "TranslateEditorSteps.h"
#include "about/InfoForm.h"
#include "frontend/MainForm.h"
#include "i18n/TextCatalogue.h"
#include "i18n/TranslateForm.h"
#include "platform/IniFile.h"

using namespace ratemill;
using namespace ratemill::test;
using platform::TMessageKind;

namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QStringList Lines(const std::string& content) {
  return QString::fromStdString(content).split(QRegularExpression("\r\n|\n"), Qt::SkipEmptyParts);
}

}  // namespace

class TranslateFormTest : public QObject {
  Q_OBJECT

 private slots:
  void defaultsWithoutAFile();
  void fileTextsInAnyLetterCase();
  void saveWithoutChangesWritesAllKeysInTheirSections();
  void savedTextAppearsEverywhere_data();
  void savedTextAppearsEverywhere();
  void saveReappliesEditorMainAndAboutWindow();
  void newerTextsAreEditedLikeTheOlderOnes();
  void textStillBeingEditedIsSaved();
  void leavingWithoutSavingWritesNothing_data();
  void leavingWithoutSavingWritesNothing();
  void keysOutsideTheCatalogueStay();
  void outsideChangeShowsAtNextOpening();
  void failedSaveKeepsTheEditorOpen_data();
  void failedSaveKeepsTheEditorOpen();
  void nameColumnStaysAtTheLeftEdge();
  void cutTextsHaveToolTips();
};

void TranslateFormTest::defaultsWithoutAFile() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  QCOMPARE(editor.TranslateGrid->rowCount(), 0);  // empty until the first opening
  Open(editor);

  QCOMPARE(editor.size(), QSize(769, 399));
  QCOMPARE(editor.minimumSize(), editor.maximumSize());
  QCOMPARE(editor.windowTitle(), Utf8("Ratemill - Programm übersetzen"));
  QCOMPARE(editor.font().family(), QString("Tahoma"));
  QCOMPARE(editor.font().pixelSize(), 11);
  QCOMPARE(editor.TranslateGrid->horizontalHeaderItem(0)->text(), QString("Name"));
  QCOMPARE(editor.TranslateGrid->horizontalHeaderItem(1)->text(), QString("Text"));
  QVERIFY(!editor.TranslateGrid->isSortingEnabled());
  QVERIFY(!editor.TranslateGrid->horizontalHeader()->sectionsMovable());

  QCOMPARE(editor.TranslateGrid->rowCount(), int(kTextCount));
  for (const TTextRow& row : TextCatalogue()) {
    const QTableWidgetItem* name = editor.TranslateGrid->item(row.Row, 0);
    const QTableWidgetItem* text = editor.TranslateGrid->item(row.Row, 1);
    QCOMPARE(name->text(), Utf8(row.GridLabel));
    QVERIFY(!(name->flags() & Qt::ItemIsEditable));
    QVERIFY(text->flags() & Qt::ItemIsEditable);
    QCOMPARE(text->text(), Utf8(row.EditorDefault));
  }
  // Where the window and the editor differ, the editor offers its own.
  QCOMPARE(Cell(editor, 6), Utf8("Verzeichnis mit Unterverzeichnissen..."));
  QCOMPARE(Cell(editor, 26), Utf8("Programm übersetzen..."));
  QCOMPARE(Cell(editor, 0), QString("Dateien"));
  QVERIFY(!std::filesystem::exists(windows.Fixture.LanguageFile()));
}

void TranslateFormTest::fileTextsInAnyLetterCase() {
  test::TAboutWindows windows(
      "[MAIN WINDOW]\r\nGROUPFILES=Files\r\nbatchbutton=Tree\r\nstartbutton=  \"Go\"  \r\nhpcheckbox=HP\r\n"
      "[Info Window]\r\ntranslatebutton=Translate\r\n");
  Open(*windows.Translate);
  QCOMPARE(Cell(*windows.Translate, 0), QString("Files"));
  QCOMPARE(Cell(*windows.Translate, 6), QString("Tree"));
  QCOMPARE(Cell(*windows.Translate, 18), QString("Go"));
  QCOMPARE(Cell(*windows.Translate, 32), QString("HP"));
  QCOMPARE(Cell(*windows.Translate, 26), QString("Translate"));
  QCOMPARE(Cell(*windows.Translate, 1), QString("Optionen"));
}

void TranslateFormTest::saveWithoutChangesWritesAllKeysInTheirSections() {
  test::TAboutWindows windows;
  Open(*windows.Translate);
  QTest::mouseClick(windows.Translate->SaveTranslationButton, Qt::LeftButton);
  QVERIFY(!windows.Translate->isVisible());

  const QStringList lines = Lines(test::ReadFile(windows.Fixture.LanguageFile()));
  QStringList headers;
  int keys = 0;
  for (const QString& line : lines) {
    if (line.startsWith('['))
      headers << line;
    else if (line.contains('='))
      ++keys;
  }
  QCOMPARE(headers, QStringList({"[Main window]", "[translation window]", "[info window]", "[console window]"}));
  QCOMPARE(lines.first(), QString("[Main window]"));
  QCOMPARE(lines.at(1), QString("GroupFiles=Dateien"));
  QCOMPARE(keys, int(kTextCount));
  const platform::TIniFile file(windows.Fixture.LanguageFile());
  for (const TTextRow& row : TextCatalogue()) {
    QCOMPARE(file.ReadString(row.Section, row.Key, "<missing>"), row.EditorDefault);
  }
  QVERIFY(lines.contains("HPCheckBox=Benutze SSRC_HP.exe"));

  // From now on the windows show the editor's texts.
  QCOMPARE(windows.Main->BatchAddFilesButton->text(), Utf8("Verzeichnis mit Unterverzeichnissen..."));
  QCOMPARE(windows.Info->TranslateButton->text(), Utf8("Programm übersetzen..."));
  QCOMPARE(windows.Fixture.Boxes.Shown().size(), std::size_t(0));
}

// Row 18 feeds the Start button's caption.
void TranslateFormTest::savedTextAppearsEverywhere_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("read");
  QTest::newRow("plain") << "Los"
                         << "Los";
  QTest::newRow("emptied cell") << ""
                                << "";
  QTest::newRow("blanks around the text") << "  Los \t"
                                          << "Los";
  QTest::newRow("blanks only") << "   "
                               << "";
  QTest::newRow("umlauts and other scripts") << Utf8("Übersetzen ß Пуск 開始") << Utf8("Übersetzen ß Пуск 開始");
  QTest::newRow("markers kept as they are") << "a[[linebreak]]b %s 100%"
                                            << "a[[linebreak]]b %s 100%";
  QTest::newRow("no code page character") << QString("x") + QChar(0xD800) + "y"
                                          << "x?y";
  QTest::newRow("quotes inside") << "Sag \"Los\""
                                 << "Sag \"Los\"";
}

void TranslateFormTest::savedTextAppearsEverywhere() {
  QFETCH(QString, typed);
  QFETCH(QString, read);
  test::TAboutWindows windows;
  Open(*windows.Translate);
  SetCell(*windows.Translate, 18, typed);
  QTest::mouseClick(windows.Translate->SaveTranslationButton, Qt::LeftButton);
  QCOMPARE(windows.Fixture.Boxes.Shown().size(), std::size_t(0));

  QCOMPARE(windows.Main->StartButton->text(), read);
  Open(*windows.Translate);
  QCOMPARE(Cell(*windows.Translate, 18), read);
  QCOMPARE(Cell(*windows.Translate, 17), QString("Dither"));
}

void TranslateFormTest::saveReappliesEditorMainAndAboutWindow() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  SetCell(editor, 23, "Cancel");
  SetCell(editor, 24, "Save");
  SetCell(editor, 25, "Translate Ratemill");
  SetCell(editor, 26, "Translate...");
  SetCell(editor, 27, "Debug on?");
  SetCell(editor, 20, "No files!");
  SetCell(editor, 0, "Files");
  QTest::mouseClick(editor.SaveTranslationButton, Qt::LeftButton);

  QCOMPARE(editor.windowTitle(), QString("Translate Ratemill"));
  QCOMPARE(editor.SaveTranslationButton->text(), QString("Save"));
  QCOMPARE(editor.CancelEditTranslationButton->text(), QString("Cancel"));
  QCOMPARE(windows.Main->FilesGroupBox->title(), QString("Files"));
  QCOMPARE(windows.Main->MessageText(TTextId::NoFilesSelected), std::string("No files!"));
  QCOMPARE(windows.Info->TranslateButton->text(), QString("Translate..."));
  QCOMPARE(windows.Info->FMsgEnableDebugMode, std::string("Debug on?"));
}

// The texts that came after the first 38 are offered, saved and applied like
// them, and a language file written before them keeps working.
void TranslateFormTest::newerTextsAreEditedLikeTheOlderOnes() {
  test::TAboutWindows windows("[main window]\r\nStartButton=Go\r\n");
  TTranslateForm& editor = *windows.Translate;
  const int jobsRow = CatalogueRow(TTextId::LabelConcurrentJobs).Row;
  const int attenuationRow = CatalogueRow(TTextId::InvalidAttenuation).Row;
  Open(editor);
  QCOMPARE(editor.TranslateGrid->item(jobsRow, 0)->text(), QString("LabelConcurrentJobs"));
  QCOMPARE(Cell(editor, jobsRow), QString("&Gleichzeitige Konvertierungen"));
  QCOMPARE(Cell(editor, attenuationRow), Utf8(CatalogueRow(TTextId::InvalidAttenuation).EditorDefault));
  QVERIFY(Cell(editor, attenuationRow).contains(Utf8("„Abschwächer“")));
  QCOMPARE(Cell(editor, 18), QString("Go"));

  SetCell(editor, jobsRow, "&Jobs && threads");
  SetCell(editor, attenuationRow, "Bad attenuation");
  QTest::mouseClick(editor.SaveTranslationButton, Qt::LeftButton);

  QCOMPARE(windows.Main->LabelConcurrentJobs->text(), QString("&Jobs && threads"));
  QCOMPARE(windows.Main->ConcurrentJobsSpinBox->accessibleName(), QString("Jobs & threads"));
  QCOMPARE(windows.Main->MessageText(TTextId::InvalidAttenuation), std::string("Bad attenuation"));
  const platform::TIniFile file(windows.Fixture.LanguageFile());
  QCOMPARE(file.ReadString("main window", "LabelConcurrentJobs", "<missing>"), std::string("&Jobs && threads"));
  QCOMPARE(file.ReadString("main window", "StartButton", "<missing>"), std::string("Go"));
  QCOMPARE(windows.Fixture.Boxes.Shown().size(), std::size_t(0));
}

void TranslateFormTest::textStillBeingEditedIsSaved() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  QTableWidgetItem* cell = editor.TranslateGrid->item(18, 1);
  editor.TranslateGrid->setCurrentItem(cell);
  editor.TranslateGrid->editItem(cell);
  auto* field = qobject_cast<QLineEdit*>(editor.TranslateGrid->indexWidget(editor.TranslateGrid->currentIndex()));
  QVERIFY(field);
  field->setText("Los");
  editor.SaveGrid();
  QCOMPARE(platform::TIniFile(windows.Fixture.LanguageFile()).ReadString("main window", "StartButton", ""),
           std::string("Los"));
}

void TranslateFormTest::leavingWithoutSavingWritesNothing_data() {
  QTest::addColumn<QString>("how");
  QTest::addColumn<bool>("fileBefore");
  for (const char* how : {"cancel button", "escape key", "close box"}) {
    QTest::addRow("%s, no file", how) << how << false;
    QTest::addRow("%s, with file", how) << how << true;
  }
}

void TranslateFormTest::leavingWithoutSavingWritesNothing() {
  QFETCH(QString, how);
  QFETCH(bool, fileBefore);
  const std::string before = "; mine\r\n[main window]\r\nStartButton=Go\r\n";
  test::TAboutWindows windows(fileBefore ? before : std::string());
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  SetCell(editor, 18, "Edited");
  SetCell(editor, 26, "Edited too");
  if (how == "cancel button")
    QTest::mouseClick(editor.CancelEditTranslationButton, Qt::LeftButton);
  else if (how == "escape key")
    QTest::keyClick(&editor, Qt::Key_Escape);
  else
    QVERIFY(editor.close());

  QVERIFY(!editor.isVisible());
  QCOMPARE(editor.result(), int(QDialog::Rejected));
  if (fileBefore)
    QCOMPARE(test::ReadFile(windows.Fixture.LanguageFile()), before);
  else
    QVERIFY(!std::filesystem::exists(windows.Fixture.LanguageFile()));
  QCOMPARE(windows.Main->StartButton->text(), fileBefore ? QString("Go") : QString("&Start"));
  QCOMPARE(windows.Info->TranslateButton->text(), Utf8("Programm übersetzen"));

  // The next opening shows the file, not the edits.
  Open(editor);
  QCOMPARE(Cell(editor, 18), fileBefore ? QString("Go") : QString("&Start"));
  QCOMPARE(Cell(editor, 26), Utf8("Programm übersetzen..."));
}

void TranslateFormTest::keysOutsideTheCatalogueStay() {
  const std::string outside =
      "; translated by hand\r\n[main window]\r\nStartButton=Go\r\nComment=keep me\r\n\r\n"
      "[other]\r\nx=y\r\n";
  test::TAboutWindows windows(outside);
  Open(*windows.Translate);
  for (int row = 0; row < windows.Translate->TranslateGrid->rowCount(); ++row) {
    QVERIFY(Cell(*windows.Translate, row) != "keep me" && Cell(*windows.Translate, row) != "y");
  }
  QTest::mouseClick(windows.Translate->SaveTranslationButton, Qt::LeftButton);

  const QStringList lines = Lines(test::ReadFile(windows.Fixture.LanguageFile()));
  QCOMPARE(lines.first(), QString("; translated by hand"));
  for (const char* kept : {"Comment=keep me", "[other]", "x=y", "StartButton=Go"}) {
    QVERIFY2(lines.count(kept) == 1, kept);
  }
  // The saved keys went into the existing section, not a second one.
  QCOMPARE(lines.filter(QRegularExpression("^\\[main window\\]$", QRegularExpression::CaseInsensitiveOption)).size(),
           1);
}

void TranslateFormTest::outsideChangeShowsAtNextOpening() {
  test::TAboutWindows windows("[main window]\r\nStartButton=Go\r\n");
  Open(*windows.Translate);
  QCOMPARE(Cell(*windows.Translate, 18), QString("Go"));
  windows.Translate->reject();
  windows.Fixture.WriteLanguage("[main window]\r\nStartButton=Run\r\n[info window]\r\nTranslateButton=T\r\n");
  Open(*windows.Translate);
  QCOMPARE(Cell(*windows.Translate, 18), QString("Run"));
  QCOMPARE(Cell(*windows.Translate, 26), QString("T"));
}

void TranslateFormTest::failedSaveKeepsTheEditorOpen_data() {
  QTest::addColumn<bool>("readOnlyFile");
  // A folder in the file's place: no write succeeds, not even as root.
  QTest::newRow("folder in the file's place") << false;
  // A file marked read-only refuses the write although its folder is writable.
  QTest::newRow("read-only file") << true;
}

void TranslateFormTest::failedSaveKeepsTheEditorOpen() {
  QFETCH(bool, readOnlyFile);
  test::TAboutWindows windows;
  const std::string path = windows.Fixture.LanguageFile();
  const std::string before = "[main window]\r\nStartButton=Anfang\r\n";
  if (readOnlyFile) {
    test::WriteFile(path, before);
    // On Windows this sets the file's read-only attribute.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
  } else {
    std::filesystem::create_directory(path);
  }
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  SetCell(editor, 18, "Los");
  SetCell(editor, 26, "Translate...");
  QTest::mouseClick(editor.SaveTranslationButton, Qt::LeftButton);

  const auto& shown = windows.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t(1));
  QCOMPARE(shown[0].Kind, TMessageKind::ErrorOk);
  QCOMPARE(shown[0].Text, "In " + path + " kann nicht geschrieben werden");
  QVERIFY(editor.isVisible());
  QCOMPARE(Cell(editor, 18), QString("Los"));
  QCOMPARE(Cell(editor, 26), QString("Translate..."));
  // Nothing was re-applied.
  QCOMPARE(windows.Main->StartButton->text(), QString("&Start"));
  QCOMPARE(windows.Info->TranslateButton->text(), Utf8("Programm übersetzen"));
  if (readOnlyFile) {
    QCOMPARE(test::ReadFile(path), before);
  } else {
    QVERIFY(std::filesystem::is_directory(path));
    QVERIFY(std::filesystem::is_empty(path));
  }
  QVERIFY(TempFilesIn(windows.Fixture.AppDir()).empty());
}

void TranslateFormTest::nameColumnStaysAtTheLeftEdge() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  QTableWidget& grid = *editor.TranslateGrid;
  QTableView& names = *editor.FixedColumnView;
  QCOMPARE(grid.columnWidth(0), 150);
  QCOMPARE(grid.columnWidth(1), 700);

  QScrollBar* sideways = grid.horizontalScrollBar();
  QVERIFY(sideways->maximum() > 0);  // the two columns are wider than the grid
  sideways->setValue(sideways->maximum());
  QVERIFY(grid.columnViewportPosition(0) < 0);  // the grid's own name column has left the view

  QVERIFY(names.isVisible());
  QCOMPARE(names.geometry().topLeft(), QPoint(grid.frameWidth(), grid.frameWidth()));
  QCOMPARE(names.width(), 150);
  QVERIFY(names.isColumnHidden(1));
  QCOMPARE(names.columnViewportPosition(0), 0);

  QScrollBar* down = grid.verticalScrollBar();
  QVERIFY(down->maximum() > 0);
  down->setValue(down->maximum());
  QCOMPARE(names.verticalScrollBar()->value(), down->maximum());
  const int lastRowY = grid.rowViewportPosition(int(kTextCount) - 1) + 2;
  QCOMPARE(names.indexAt(QPoint(5, lastRowY)).row(), int(kTextCount) - 1);
  QCOMPARE(names.indexAt(QPoint(5, lastRowY)).data().toString(), Utf8(TextCatalogue().back().GridLabel));
}

void TranslateFormTest::cutTextsHaveToolTips() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  Open(editor);
  // The converter-missing message is far wider than its column; "&Start" is not.
  QCOMPARE(editor.TranslateGrid->item(19, 1)->toolTip(), Cell(editor, 19));
  QCOMPARE(editor.TranslateGrid->item(18, 1)->toolTip(), QString());
  SetCell(editor, 18, QString(300, 'W'));
  QCOMPARE(editor.TranslateGrid->item(18, 1)->toolTip(), QString(300, 'W'));
  SetCell(editor, 18, "Los");
  QCOMPARE(editor.TranslateGrid->item(18, 1)->toolTip(), QString());
}

QTEST_MAIN(TranslateFormTest)
#include "TranslateFormTest.moc"
