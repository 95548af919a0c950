// Mapping what the toolkit's dialogs give back to the bytes on disk.
#include "platform/qt/QtDialogsPaths.h"

#include <QFile>
#include <QTest>
#include <filesystem>

#include "TempDir.h"

using namespace ratemill;
using platform::ResolveDialogPath;

namespace {

// What a dialog gives back for `path`: its rendering as text.
QString Shown(const std::string& path) {
  return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

}  // namespace

class QtDialogsPathsTest : public QObject {
  Q_OBJECT

 private slots:
  void mapsTheRenderingBackToTheOneEntryShownSo();
  void lookalikesAndMissingEntriesAreNamedInTheProblem();
};

void QtDialogsPathsTest::mapsTheRenderingBackToTheOneEntryShownSo() {
  test::TTempDir dir;
  const std::string folder = dir / "in \xfe";  // a folder level that is no UTF-8 either
  std::filesystem::create_directories(folder);
  struct TCase {
    std::string Path;
    bool MayBeNew;
  };
  const TCase cases[] = {
      {folder + "/\xff\xfe-latin1-\xe4.wav", false},
      {folder + "/gr\xc3\xbc\xc3\x9f"
                "e.wav",
       false},
      {folder + "/line\nbreak  .wav", false},
      {folder, false},
      {folder + "/not there yet.tmp", true},  // a name to create, under a folder that needs mapping
  };
  for (const TCase& c : cases) {
    if (!c.MayBeNew && c.Path != folder) test::WriteFile(c.Path, "");
  }
  for (const TCase& c : cases) {
    const platform::TDialogPath resolved = ResolveDialogPath(Shown(c.Path), c.MayBeNew);
    QVERIFY2(resolved.Path.has_value(), resolved.Problem.c_str());
    QCOMPARE(*resolved.Path, c.Path);
  }
}

// "\xff.wav" and a file literally named U+FFFD look the same in a dialog;
// taking either for the other would convert the wrong file, so neither is
// taken and the box says which name it was.
void QtDialogsPathsTest::lookalikesAndMissingEntriesAreNamedInTheProblem() {
  test::TTempDir dir;
  test::WriteFile(dir / "\xff.wav", "");
  test::WriteFile(dir / "\xef\xbf\xbd.wav", "");
  test::WriteFile(dir / "\xfe.wav", "");

  const platform::TDialogPath ambiguous = ResolveDialogPath(Shown(dir / "\xff.wav"), false);
  QVERIFY(!ambiguous.Path.has_value());
  QVERIFY2(ambiguous.Problem.find("\xef\xbf\xbd.wav") != std::string::npos, ambiguous.Problem.c_str());
  QVERIFY2(ambiguous.Problem.find("nicht eindeutig") != std::string::npos, ambiguous.Problem.c_str());

  std::filesystem::remove(dir / "\xfe.wav");
  std::filesystem::remove(dir / "\xef\xbf\xbd.wav");
  const platform::TDialogPath single = ResolveDialogPath(Shown(dir / "\xff.wav"), false);
  QCOMPARE(single.Path.value_or("<none>"), dir / "\xff.wav");

  std::filesystem::remove(dir / "\xff.wav");
  const platform::TDialogPath missing = ResolveDialogPath(Shown(dir / "\xff.wav"), false);
  QVERIFY(!missing.Path.has_value());
  QVERIFY2(missing.Problem.find("nicht gefunden") != std::string::npos, missing.Problem.c_str());
  QVERIFY2(missing.Problem.find(dir.Path()) != std::string::npos, missing.Problem.c_str());
}

QTEST_GUILESS_MAIN(QtDialogsPathsTest)
#include "QtDialogsPathsTest.moc"
