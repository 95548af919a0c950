// The translation editor when the disk fills up during a save, stood in for
// by the POSIX file-size limit.
#include <QPushButton>
#include <QTest>

#include "AboutWindows.h"
#include "FileSizeLimit.h"
#include "TranslateEditorSteps.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"
#include "platform/IniFile.h"

using namespace ratemill;
using namespace ratemill::test;

class TranslateFormPosixTest : public QObject {
  Q_OBJECT

 private slots:
  void failedSaveWritesNoRow();
};

void TranslateFormPosixTest::failedSaveWritesNoRow() {
  test::TAboutWindows windows;
  TTranslateForm& editor = *windows.Translate;
  const std::string before = "[main window]\r\nStartButton=Anfang\r\n";
  test::WriteFile(windows.Fixture.LanguageFile(), before);
  Open(editor);
  SetCell(editor, 5, "Find...");
  // Row 20 makes the file outgrow the limit; the rows before it would fit.
  SetCell(editor, 20, QString(5000, 'x'));
  SetCell(editor, 21, "after the failure");
  {
    test::TFileSizeLimit limit(4096);
    QVERIFY(limit.Active());
    QTest::mouseClick(editor.SaveTranslationButton, Qt::LeftButton);
  }

  const auto& shown = windows.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t(1));
  QCOMPARE(shown[0].Text, "In " + windows.Fixture.LanguageFile() + " kann nicht geschrieben werden");
  QVERIFY(editor.isVisible());
  QCOMPARE(Cell(editor, 20), QString(5000, 'x'));

  // All rows are one write: the file is the old one, without the rows that
  // would have fit, and no piece of the failed write is left beside it.
  QCOMPARE(test::ReadFile(windows.Fixture.LanguageFile()), before);
  QVERIFY(TempFilesIn(windows.Fixture.AppDir()).empty());
  QCOMPARE(windows.Main->FindFolderButton->text(), QString("Suchen..."));

  // With room again, saving the same grid completes.
  QTest::mouseClick(editor.SaveTranslationButton, Qt::LeftButton);
  QVERIFY(!editor.isVisible());
  QCOMPARE(platform::TIniFile(windows.Fixture.LanguageFile()).ReadString("main window", "CreateNewDirQuery", ""),
           std::string("after the failure"));
  QCOMPARE(windows.Main->FindFolderButton->text(), QString("Find..."));
}

QTEST_MAIN(TranslateFormPosixTest)
#include "TranslateFormPosixTest.moc"
