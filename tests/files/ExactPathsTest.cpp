// Source and folder paths as the file system holds them, bytes that are no
// UTF-8 included, through every way into and out of the main window: the
// folder scan, the list, a run of the converter, drag and drop, the
// output-folder and temp-file edits and the settings file; and a source that
// is no regular file.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "GuiFixture.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "frontend/arguments/WavHeaderReader.h"

using namespace ratemill;

namespace {

// Names whose bytes a lossy round trip through text would change or merge:
// a lone invalid byte and a name that is literally U+FFFD look alike once
// rendered, Latin-1 is no UTF-8, and blanks, quotes and a line break test
// every quoting on the way.
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

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
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
  void droppedUriListKeepsItsBytes();
  void settingsKeepTheFoldersByteForByte();
  void typingReplacesTheKeptBytes();
  void storedValueEndsAtItsNul();
  void fifoInTheListNeitherBlocksNorPassesInSilence();
};

// The scan finds the names, the list keeps them, and with "nicht ändern" the
// header of each is read and each is converted into a folder whose own name
// is no UTF-8: every output lands under its exact name, none twice.
void ExactPathsTest::scannedNamesAreListedAndConvertedByteForByte() {
  test::TGuiFixture fixture;
  std::filesystem::create_symlink(RATEMILL_TEST_CONVERTER, fixture.AppDir() + "ssrc.exe");
  test::TTempDir dir;
  const std::string sources = dir / "in \xfe/";
  const std::string outputs = dir / "out \xe4\xff";
  std::filesystem::create_directories(sources);
  std::filesystem::create_directories(outputs);
  std::vector<std::string> expectedEntries;
  std::vector<std::string> expectedOutputs;
  for (const std::string& name : OddNames()) {
    test::WriteWav(sources + name, 44100, 16, 1, 100);
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
  QCOMPARE(form->TargetDirectory(), outputs + "/");
}

// Drop sources encode each byte of a name as "%XX"; the toolkit's own URLs
// would decode them into text and lose the bytes that are no UTF-8.
void ExactPathsTest::droppedUriListKeepsItsBytes() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  test::TTempDir dir;
  QByteArray uriList = "# a comment line\r\n";
  std::vector<std::string> expected;
  for (const std::string& name : OddNames()) {
    test::WriteFile(dir / name, "RIFF");
    expected.push_back(dir / name);
    uriList += "file://" + Bytes(dir / name).toPercentEncoding("/") + "\r\n";
  }
  uriList += "https://example.org/remote.wav\r\n";

  auto form = fixture.CreateMainForm();
  QMimeData mime;
  mime.setData("text/uri-list", uriList);
  QWidget* viewport = form->FileList->viewport();
  const QPoint pos = viewport->rect().center();
  QDragEnterEvent enter(pos, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(pos), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(viewport, &drop);
  QVERIFY(drop.isAccepted());

  QCOMPARE(form->FileListEntries(), expected);
  QVERIFY(fixture.Boxes.Shown().empty());
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

// A listed file replaced by a FIFO, with "nicht ändern" so that its header is
// read on the window's thread. Opening a FIFO for reading waits for a writer;
// the watchdog plays that writer after a while, so a blocking read makes the
// test fail instead of hanging it.
void ExactPathsTest::fifoInTheListNeitherBlocksNorPassesInSilence() {
  test::TGuiFixture fixture;
  std::filesystem::create_symlink(RATEMILL_TEST_CONVERTER, fixture.AppDir() + "ssrc.exe");
  test::TTempDir dir;
  const std::string fifo = dir / "a.wav";
  test::WriteWav(fifo, 44100, 16, 1, 100);

  auto form = fixture.CreateMainForm();
  auto* console = new TConsoleOutputForm(form.get());
  form->SetConsoleOutputForm(console);
  fixture.Dialogs.NextBrowseFolder(dir.Path());
  form->BatchAddFilesButtonClick();
  QCOMPARE(form->FileListEntries(), std::vector<std::string>{fifo});
  std::filesystem::remove(fifo);
  QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
  form->ComboSampleRate->setCurrentIndex(0);
  form->ComboBits->setCurrentIndex(0);
  form->UseOldBatchModeCheckbox->setChecked(false);

  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool rescued = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (finished.wait_for(lock, std::chrono::seconds(20), [&] { return done; })) return;
    rescued = true;
    const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (writer >= 0) ::close(writer);
  });
  form->StartButton->click();
  {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
  }
  finished.notify_one();
  watchdog.join();

  QVERIFY2(!rescued, "the window blocked on the FIFO");
  const std::vector<std::string> errors = PaneLines(console->ErrorMemo);
  // The run names the FIFO and why it was not converted; nothing opened it.
  QCOMPARE(errors, (std::vector<std::string>{"Error while processing file " + fifo,
                                             "Not converted: it is a FIFO, not a regular file"}));
}

QTEST_MAIN(ExactPathsTest)
#include "ExactPathsTest.moc"
