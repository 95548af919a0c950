// Paths as the file system holds them where that is bytes: a dropped URI list
// of names that are no UTF-8, and a FIFO among the sources, which must
// neither block the window nor pass in silence.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>

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
#include "frontend/MainForm.h"

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

class ExactPathsPosixTest : public QObject {
  Q_OBJECT

 private slots:
  void droppedUriListKeepsItsBytes();
  void fifoInTheListNeitherBlocksNorPassesInSilence();
};

// Drop sources encode each byte of a name as "%XX"; the toolkit's own URLs
// would decode them into text and lose the bytes that are no UTF-8.
void ExactPathsPosixTest::droppedUriListKeepsItsBytes() {
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

// A listed file replaced by a FIFO, with "nicht ändern" so that its header is
// read on the window's thread. Opening a FIFO for reading waits for a writer;
// the watchdog plays that writer after a while, so a blocking read makes the
// test fail instead of hanging it.
void ExactPathsPosixTest::fifoInTheListNeitherBlocksNorPassesInSilence() {
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

QTEST_MAIN(ExactPathsPosixTest)
#include "ExactPathsPosixTest.moc"
