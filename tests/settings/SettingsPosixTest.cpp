// The options stored in Ratemill.ini when the disk fills up during a save,
// stood in for by the POSIX file-size limit.
#include <QComboBox>
#include <QTest>
#include <filesystem>

#include "FileSizeLimit.h"
#include "GuiFixture.h"
#include "frontend/MainForm.h"
#include "platform/Errors.h"

using namespace ratemill;

class SettingsPosixTest : public QObject {
  Q_OBJECT

 private slots:
  void failedSaveLeavesTheOldFileWhole();
};

// A disk that fills up during the save, after the first keys would have fit:
// the save is one write, so the file keeps all its old values, and the error
// names the file.
void SettingsPosixTest::failedSaveLeavesTheOldFileWhole() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  const std::string old = "[Einstellungen]\r\nSamplerate=1\r\nBits=1\r\nZielpfad=/old\r\n";
  fixture.WriteSettings(old);
  auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(2);
  form->SetTargetDirectory("/new/" + std::string(400, 'n'));

  std::string message;
  {
    const test::TFileSizeLimit limit(old.size() + 150);  // room for the small keys, not for the folder
    QVERIFY(limit.Active());
    try {
      form->SaveSettings();
    } catch (const platform::EIniFileError& e) {
      message = e.what();
    }
  }
  QCOMPARE(message, "In " + fixture.SettingsFile() + " kann nicht geschrieben werden");
  QCOMPARE(test::ReadFile(fixture.SettingsFile()), old);
  for (const auto& entry : std::filesystem::directory_iterator(fixture.AppDir())) {
    QVERIFY2(entry.path().filename().string().find(".tmp") == std::string::npos, entry.path().c_str());
  }
}

QTEST_MAIN(SettingsPosixTest)
#include "SettingsPosixTest.moc"
