// The toolkit's own texts follow the program's language.
#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTest>
#include <QTranslator>

#include "TempDir.h"
#include "i18n/QtTranslations.h"

using namespace ratemill;

namespace {

// The toolkit's text of the Cancel button of its dialogs.
QString CancelText() { return QCoreApplication::translate("QPlatformTheme", "Cancel"); }

// `qApp` would claim a widget application; this test runs without one.
QCoreApplication& App() { return *QCoreApplication::instance(); }

bool GermanInstalled() {
  return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_de.qm");
}

}  // namespace

class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    // Each case starts with the toolkit's own English.
    for (QTranslator* translator : App().findChildren<QTranslator*>()) {
      QCoreApplication::removeTranslator(translator);
      delete translator;
    }
  }

  void builtInGermanTextsBringGermanToolkitTexts() {
    if (!GermanInstalled()) QSKIP("the toolkit's German translation (qt6-translations-l10n) is not installed");
    test::TTempDir data;  // no language file: the built-in German texts
    QVERIFY(InstallQtTranslationFor(App(), data.Path()));
    QCOMPARE(CancelText(), QString("Abbrechen"));
  }

  void englishLanguageFileKeepsEnglishToolkitTexts() {
    test::TTempDir data;
    test::WriteFile(data / "language.ini", "[language]\nCode=en\n[main window]\nStartButton=&Start\n");
    InstallQtTranslationFor(App(), data.Path());
    QCOMPARE(CancelText(), QString("Cancel"));
  }

  void unknownLanguageLeavesTheToolkitAlone() {
    QVERIFY(!InstallQtTranslation(App(), "xx"));
    QVERIFY(!InstallQtTranslation(App(), ""));
    QCOMPARE(CancelText(), QString("Cancel"));
    QVERIFY(App().findChildren<QTranslator*>().isEmpty());
  }
};

QTEST_GUILESS_MAIN(QtTranslationsTest)
#include "QtTranslationsTest.moc"
