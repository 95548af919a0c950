// A program folder that holds only the program, as an installed one: the
// window reads and writes its files in the data folder and finds the
// converter there.
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

#include "GuiFixture.h"
#include "WavFixture.h"
#include "frontend/MainForm.h"

using namespace ratemill;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

bool Exists(const std::string& path) { return std::filesystem::exists(std::filesystem::symlink_status(path)); }

// The fixture's folder stands for the read-only program folder; a second one
// for the per-user data folder.
struct TSplitFolders {
  test::TGuiFixture Fixture;
  test::TTempDir Data;

  std::unique_ptr<TMainForm> CreateMainForm() {
    platform::TServices services = Fixture.Services();
    services.DataDir = Data.Path();
    return std::make_unique<TMainForm>(services);
  }
};

}  // namespace

class DataFolderTest : public QObject {
  Q_OBJECT

 private slots:
  void filesAndConverterLiveInTheDataFolder();
  void converterBesideTheProgramIsFoundFirst();
  void missingConverterNamesTheDataFolder();
};

void DataFolderTest::filesAndConverterLiveInTheDataFolder() {
  TSplitFolders folders;
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, folders.Data / "ssrc.exe");
  test::WriteFile(folders.Data / "language.ini", "[main window]\r\nStartButton=&Go\r\n");
  test::WriteFile(folders.Data / "Ratemill.ini", "[Einstellungen]\r\nBits=3\r\nSamplerate=3\r\n");

  auto form = folders.CreateMainForm();
  QVERIFY(!form->Terminated());
  QCOMPARE(form->StartButton->text(), QString("&Go"));
  QCOMPARE(form->ComboBits->currentIndex(), 3);
  QVERIFY(std::filesystem::is_directory(folders.Data / "log"));

  test::TTempDir sources;
  test::WriteWav(sources / "take1.wav", 44100, 16, 2, 441);
  form->FileList->addItem(QString::fromStdString(sources / "take1.wav"));
  form->TargetDirectoryEdit->setText(QString::fromStdString(sources.Path()));
  form->StartButton->click();
  QVERIFY2(Exists(sources / "take1_48-24.wav"), "the converter in the data folder did not run");

  QVERIFY(form->close());
  const std::string settings = test::ReadFile(folders.Data / "Ratemill.ini");
  QVERIFY2(settings.find("Bits=3") != std::string::npos, settings.c_str());
  // Nothing was written beside the program.
  QVERIFY(std::filesystem::is_empty(folders.Fixture.AppDir()));
  QVERIFY(folders.Fixture.Boxes.Shown().empty());
}

void DataFolderTest::converterBesideTheProgramIsFoundFirst() {
  TSplitFolders folders;
  // The shipped converter works; a stale one the user left in the data
  // folder must not shadow it.
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, folders.Fixture.AppDir() + "ssrc.exe");
  test::WriteFile(folders.Data / "ssrc.exe", "not a program");

  auto form = folders.CreateMainForm();
  QVERIFY(!form->Terminated());
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);
  test::TTempDir sources;
  test::WriteWav(sources / "take1.wav", 44100, 16, 2, 441);
  form->FileList->addItem(QString::fromStdString(sources / "take1.wav"));
  form->TargetDirectoryEdit->setText(QString::fromStdString(sources.Path()));
  form->StartButton->click();
  QVERIFY(Exists(sources / "take1_48-24.wav"));
}

void DataFolderTest::missingConverterNamesTheDataFolder() {
  TSplitFolders folders;
  folders.Fixture.Boxes.Answer(TMessageAnswer::No);

  auto form = folders.CreateMainForm();

  QVERIFY(form->Terminated());
  QCOMPARE(folders.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(folders.Fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorYesNo);
  const std::string& text = folders.Fixture.Boxes.Shown()[0].Text;
  QVERIFY2(text.find("\"" + folders.Data.Path() + "\"") != std::string::npos, text.c_str());
  QVERIFY(!Exists(folders.Data / "Ratemill.ini"));
}

QTEST_MAIN(DataFolderTest)
#include "DataFolderTest.moc"
