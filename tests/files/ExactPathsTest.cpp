// Source and folder paths as the file system holds them, through every way
// into and out of the main window: the folder scan, the list, a run of the
// converter, the output-folder and temp-file edits and the settings file.
// Bytes that are no UTF-8 in a name on disk, a dropped URI list of such
// names and a FIFO among the sources are POSIX matters, tested in
// ExactPathsPosixTest.cpp.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "frontend/arguments/WavHeaderReader.h"

using namespace ratemill;

namespace {

// Whether the file system keeps a name as the bytes it was given.
constexpr bool kNamesAreBytes = RATEMILL_TEST_NAMES_ARE_BYTES;

// Names whose bytes a lossy round trip through text would change or merge:
// a lone invalid byte and a name that is literally U+FFFD look alike once
// rendered, Latin-1 is no UTF-8, and blanks, quotes and a line break test
// every quoting on the way. Where the system keeps names as bytes, each of
// them is also a file's name.
const std::vector<std::string>& OddNames() {
  static const std::vector<std::string> names = {
      "\xff.wav",
      "\xef\xbf\xbd.wav",
      "\xff\xfe-latin1-\xe4.wav",
      "  two  blanks  .wav",
      "it's \"quoted\" \\ back.wav",
      "line\nbreak.wav",
      "gr\xc3\xbc\xc3\x9f"
      "e.wav",
  };
  return names;
}

// Names for files on disk. Windows keeps names as UTF-16 text, without
// quotes, backslashes or line breaks; and the test converter takes its names
// through its narrow arguments, in the system's ANSI code page, which holds
// no letters beyond it. There the odd names are blanks, the characters the
// command interpreter treats specially, and letters of that code page.
const std::vector<std::string>& FileNames() {
  static const std::vector<std::string> names = {
      "  two  blanks  .wav",
      "it's (50%) & ^ ! back.wav",
      "gr\xc3\xbc\xc3\x9f"
      "e \xc3\xa9t\xc3\xa9.wav",
  };
  return kNamesAreBytes ? OddNames() : names;
}

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

// A path of the file-system library from the program's bytes, which are
// UTF-8 on Windows; on POSIX the bytes are kept as they are.
std::filesystem::path FsPath(const std::string& bytes) {
  return std::filesystem::path(std::u8string(bytes.begin(), bytes.end()));
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder))) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  return Sorted(names);
}

std::vector<std::string> PaneLines(const QPlainTextEdit* pane) {
  // The panes apply their changes once per frame; the test looks at all of them.
  if (auto* console = qobject_cast<TConsoleOutputForm*>(pane->window())) console->Flush();
  std::vector<std::string> lines;
  for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next()) {
    if (!block.text().isEmpty()) lines.push_back(block.text().toStdString());
  }
  return lines;
}

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

class ExactPathsTest : public QObject {
  Q_OBJECT

 private slots:
  void scannedNamesAreListedAndConvertedByteForByte();
  void settingsKeepTheFoldersByteForByte();
  void typingReplacesTheKeptBytes();
  void storedValueEndsAtItsNul();
};

// The scan finds the names, the list keeps them, and with "nicht ändern" the
// header of each is read and each is converted into a folder whose own name
// is odd too (no UTF-8 where names are bytes): every output lands under its
// exact name, none twice.
void ExactPathsTest::scannedNamesAreListedAndConvertedByteForByte() {
  test::TGuiFixture fixture;
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, fixture.AppDir() + "ssrc.exe");
  test::TTempDir dir;
  const std::string delimiter(1, static_cast<char>(std::filesystem::path::preferred_separator));
  const std::string sources = dir / ((kNamesAreBytes ? "in \xfe" : "in \xc3\xbe") + delimiter);
  const std::string outputs = dir / (kNamesAreBytes ? "out \xe4\xff" : "out \xc3\xa4");
  std::filesystem::create_directories(FsPath(sources));
  std::filesystem::create_directories(FsPath(outputs));
  std::vector<std::string> expectedEntries;
  std::vector<std::string> expectedOutputs;
  for (const std::string& name : FileNames()) {
    // Written under a plain name first: the fixture's writer opens names
    // through the C library, which need not take every name the system does.
    test::WriteWav(dir / "plain.wav", 44100, 16, 1, 100);
    std::filesystem::rename(FsPath(dir / "plain.wav"), FsPath(sources + name));
    expectedEntries.push_back(sources + name);
    expectedOutputs.push_back(name.substr(0, name.size() - 4) + "_44-16.wav");
  }

  auto form = fixture.CreateMainForm();
  auto* console = new TConsoleOutputForm(form.get());
  form->SetConsoleOutputForm(console);
  fixture.Dialogs.NextBrowseFolder(sources.substr(0, sources.size() - 1));
  form->BatchAddFilesButtonClick();

  QCOMPARE(form->FileListEntries(), Sorted(expectedEntries));
  for (int i = 0; i < form->FileList->count(); ++i) {
    // What is shown is the rendering of what is kept.
    QCOMPARE(form->FileList->item(i)->text(), QFile::decodeName(Bytes(form->FileListEntries()[i])));
  }

  form->SetTargetDirectory(outputs);
  form->ComboSampleRate->setCurrentIndex(0);  // nicht ändern: the rate comes from each header
  form->ComboBits->setCurrentIndex(0);
  form->UseOldBatchModeCheckbox->setChecked(false);
  form->TempFileCheckBox->setChecked(false);
  form->StartButton->click();

  QCOMPARE(FolderEntries(outputs), Sorted(expectedOutputs));
  QCOMPARE(PaneLines(console->ErrorMemo), std::vector<std::string>{});
  QVERIFY(fixture.Boxes.Shown().empty());
  QCOMPARE(form->FileList->count(), 0);
  QCOMPARE(form->TargetDirectory(), outputs + delimiter);
}

// Both folder fields go into the settings file and come back as the bytes
// they were, though the edits can only show a rendering of them.
void ExactPathsTest::settingsKeepTheFoldersByteForByte() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  for (const std::string& name : OddNames()) {
    // A settings value is one line: a name with a line break cannot be stored.
    if (name.find('\n') != std::string::npos) continue;
    const std::string folder = "/srv/" + name.substr(0, name.size() - 4) + " out";
    const std::string tempFile = "/tmp/" + name;
    {
      auto form = fixture.CreateMainForm();
      form->SetTargetDirectory(folder);
      form->TempFileCheckBox->setChecked(true);
      form->TempFilenameEdit->SetFileName(tempFile);
      form->SaveSettings();
    }
    const std::string content = test::ReadFile(fixture.SettingsFile());
    QVERIFY2(content.find("Zielpfad=" + folder + "\r\n") != std::string::npos, content.c_str());
    QVERIFY2(content.find("TmpFilePfad=" + tempFile + "\r\n") != std::string::npos, content.c_str());

    auto form = fixture.CreateMainForm();
    QCOMPARE(form->TargetDirectory(), folder);
    QCOMPARE(form->TempFilenameEdit->FileName(), tempFile);
    QCOMPARE(form->TargetDirectoryEdit->text(), QFile::decodeName(Bytes(folder)));
  }
}

// Once the user changes the text, the text is the path; until then what the
// edit was given is.
void ExactPathsTest::typingReplacesTheKeptBytes() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->show();
  const std::string given = "/srv/\xff";
  form->SetTargetDirectory(given);
  form->TempFileCheckBox->setChecked(true);
  form->TempFilenameEdit->SetFileName(given + "/t.tmp");
  QCOMPARE(form->TargetDirectory(), given);

  form->TargetDirectoryEdit->setFocus();
  form->TargetDirectoryEdit->end(false);
  QTest::keyClicks(form->TargetDirectoryEdit, "x");
  QCOMPARE(form->TargetDirectory(), std::string("/srv/\xef\xbf\xbdx"));

  QLineEdit* tempEdit = form->TempFilenameEdit->Edit();
  tempEdit->setFocus();
  tempEdit->end(false);
  QCOMPARE(form->TempFilenameEdit->FileName(), given + "/t.tmp");
  QTest::keyClick(tempEdit, Qt::Key_Backspace);
  QTest::keyClicks(tempEdit, "p");
  QCOMPARE(form->TempFilenameEdit->FileName(), std::string("/srv/\xef\xbf\xbd/t.tmp"));
}

// A NUL in a stored path ends it, in the field and in the run alike.
void ExactPathsTest::storedValueEndsAtItsNul() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.WriteSettings(std::string("[Einstellungen]\r\nZielpfad=/out") + '\0' + "/evil.wav\r\nTmpFile=1\r\n" +
                        "TmpFilePfad=/tmp/t" + '\0' + "x\r\n");
  auto form = fixture.CreateMainForm();
  QCOMPARE(form->TargetDirectory(), std::string("/out"));
  QCOMPARE(form->TargetDirectoryEdit->text(), QString("/out"));
  QCOMPARE(form->TempFilenameEdit->FileName(), std::string("/tmp/t"));
  QCOMPARE(form->TempFilenameEdit->Edit()->text(), QString("/tmp/t"));
}

QTEST_MAIN(ExactPathsTest)
#include "ExactPathsTest.moc"
