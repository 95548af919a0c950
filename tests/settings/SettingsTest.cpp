// The options stored in Ratemill.ini: what a file puts into the controls, what
// the controls write back, and what a save keeps of the file.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "GuiFixture.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"
#include "platform/Errors.h"

using namespace ratemill;

namespace {

// The stored options of the window in one line, so that a case compares all
// of them at once.
QString Describe(const TMainForm& form) {
  QRadioButton* const dither[] = {form.Dither0Option, form.Dither1Option, form.Dither2Option, form.Dither3Option,
                                  form.Dither4Option};
  QStringList checked;
  for (int i = 0; i < 5; ++i) {
    if (dither[i]->isChecked()) checked << QString::number(i);
  }
  auto flag = [](bool on) { return on ? QString("1") : QString("0"); };
  return QString("rate=%1 bits=%2 noise=%3 att=[%4] twopass=%5 normalize=%6 fast=%7 dither=%8 target=[%9] ")
             .arg(form.ComboSampleRate->currentIndex())
             .arg(form.ComboBits->currentIndex())
             .arg(form.NoiseComboBox->currentIndex())
             .arg(form.AttenuateDBEdit->text())
             .arg(flag(form.CheckTwoPass->isChecked()), flag(form.CheckNormalize->isChecked()),
                  flag(form.CheckFast->isChecked()), checked.join(','), form.TargetDirectoryEdit->text()) +
         QString("tmp=%1 tmpro=%2 tmppath=[%3] hp=%4 jobs=%5")
             .arg(flag(form.TempFileCheckBox->isChecked()), flag(form.TempFilenameEdit->ReadOnly()),
                  QString::fromStdString(form.TempFilenameEdit->FileName()), flag(form.HPCheckbox->isChecked()))
             .arg(form.ConcurrentJobsSpinBox->value());
}

// One converter per logical processor, within the option's bounds.
const int kDefaultJobs = std::clamp(int(std::thread::hardware_concurrency()), 1, 64);

const QString kDefaults =
    "rate=0 bits=0 noise=0 att=[0] twopass=0 normalize=0 fast=0 dither=0 target=[] tmp=0 tmpro=1 tmppath=[] hp=0 "
    "jobs=" +
    QString::number(kDefaultJobs);

QString With(QString described, const QString& key, const QString& value) {
  const int start = described.indexOf(key + "=");
  int end = described.indexOf(' ', start);
  if (described.mid(start + key.size() + 1, 1) == "[") end = described.indexOf("] ", start) + 1;
  if (end < 0) end = described.size();
  return described.replace(start, end - start, key + "=" + value);
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void loadPutsStoredValuesIntoTheControls_data();
  void loadPutsStoredValuesIntoTheControls();
  void saveWritesEveryKeyInOrder();
  void roundTripKeepsEveryOption_data();
  void roundTripKeepsEveryOption();
  void saveKeepsWhatItDoesNotOwn();
  void listWithoutSelectionIsSavedAsMinusOneAndComesBackAsEntryZero();
  void unsavedOptionsStartFromTheirInitialState();
};

void SettingsTest::loadPutsStoredValuesIntoTheControls_data() {
  QTest::addColumn<QString>("file");  // empty: no settings file
  QTest::addColumn<QString>("expected");

  QTest::newRow("no file") << QString() << kDefaults;
  QTest::newRow("empty section") << "[Einstellungen]\r\n" << kDefaults;
  QTest::newRow("everything set")
      << "[Einstellungen]\r\nSamplerate=3\r\nBits=2\r\nRauschen=1\r\nAbschwaecher=6\r\nClippingschutz=1\r\n"
         "Normalisieren=1\r\nSchnell=1\r\nDither=4\r\nZielpfad=/out/\r\nTmpFile=1\r\nTmpFilePfad=/tmp/a b.tmp\r\n"
         "benutzeHP=1\r\nGleichzeitigeKonvertierungen=3\r\n"
      // Without `ssrc_hp.exe` beside the program the high-precision choice is dropped.
      << "rate=3 bits=2 noise=1 att=[6] twopass=1 normalize=1 fast=1 dither=4 target=[/out/] tmp=1 tmpro=0 "
         "tmppath=[/tmp/a b.tmp] hp=0 jobs=3";
  QTest::newRow("names in other letter cases") << "[EINSTELLUNGEN]\nBITS=3\nschnell=1\n"
                                               << With(With(kDefaults, "bits", "3"), "fast", "1");
  QTest::newRow("hexadecimal 0x") << "[Einstellungen]\nBits=0x2\nSamplerate=0X5\n"
                                  << With(With(kDefaults, "bits", "2"), "rate", "5");
  QTest::newRow("hexadecimal $") << "[Einstellungen]\nBits=$3\n" << With(kDefaults, "bits", "3");
  QTest::newRow("dither 7 keeps the window's choice") << "[Einstellungen]\nDither=7\n"
                                                      << With(kDefaults, "dither", "2");
  QTest::newRow("dither -1 keeps the window's choice") << "[Einstellungen]\nDither=-1\n"
                                                       << With(kDefaults, "dither", "2");
  QTest::newRow("dither no number reads as 0") << "[Einstellungen]\nDither=abc\n" << kDefaults;
  QTest::newRow("dither 1") << "[Einstellungen]\nDither=1\n" << With(kDefaults, "dither", "1");
  QTest::newRow("attenuation letters") << "[Einstellungen]\nAbschwaecher=abc\n" << With(kDefaults, "att", "[abc]");
  QTest::newRow("attenuation empty") << "[Einstellungen]\nAbschwaecher=\n" << With(kDefaults, "att", "[]");
  QTest::newRow("flag any number is on") << "[Einstellungen]\nNormalisieren=2\nClippingschutz=-1\n"
                                         << With(With(kDefaults, "normalize", "1"), "twopass", "1");
  QTest::newRow("flag no number is off") << "[Einstellungen]\nSchnell=ja\n" << kDefaults;
  QTest::newRow("temp path ignored while the option is off") << "[Einstellungen]\nTmpFile=0\nTmpFilePfad=/tmp/x.tmp\n"
                                                             << kDefaults;
  QTest::newRow("temp option on without a path") << "[Einstellungen]\nTmpFile=1\n"
                                                 << With(With(kDefaults, "tmp", "1"), "tmpro", "0");
  // Without its converter the high-precision choice does not survive start-up.
  QTest::newRow("high precision on while its converter is absent") << "[Einstellungen]\nbenutzeHP=1\n" << kDefaults;
  // Concurrent conversions: files of older versions lack the key; a value
  // that is no number gives the default, one beyond the bounds the bound.
  QTest::newRow("jobs within bounds") << "[Einstellungen]\nGleichzeitigeKonvertierungen=7\n"
                                      << With(kDefaults, "jobs", "7");
  QTest::newRow("jobs lowest") << "[Einstellungen]\nGleichzeitigeKonvertierungen=1\n" << With(kDefaults, "jobs", "1");
  QTest::newRow("jobs highest") << "[Einstellungen]\nGleichzeitigeKonvertierungen=64\n"
                                << With(kDefaults, "jobs", "64");
  QTest::newRow("jobs 0 is one") << "[Einstellungen]\nGleichzeitigeKonvertierungen=0\n" << With(kDefaults, "jobs", "1");
  QTest::newRow("jobs negative is one") << "[Einstellungen]\nGleichzeitigeKonvertierungen=-4\n"
                                        << With(kDefaults, "jobs", "1");
  QTest::newRow("jobs 65 is 64") << "[Einstellungen]\nGleichzeitigeKonvertierungen=65\n"
                                 << With(kDefaults, "jobs", "64");
  QTest::newRow("jobs largest stored number is 64") << "[Einstellungen]\nGleichzeitigeKonvertierungen=2147483647\n"
                                                    << With(kDefaults, "jobs", "64");
  // Stored numbers are 32-bit: a longer one is no number at all.
  QTest::newRow("jobs beyond 32 bits") << "[Einstellungen]\nGleichzeitigeKonvertierungen=99999999999\n" << kDefaults;
  QTest::newRow("jobs hexadecimal") << "[Einstellungen]\ngleichzeitigekonvertierungen=0x10\n"
                                    << With(kDefaults, "jobs", "16");
  QTest::newRow("jobs no number") << "[Einstellungen]\nGleichzeitigeKonvertierungen=viele\n" << kDefaults;
  QTest::newRow("jobs empty") << "[Einstellungen]\nGleichzeitigeKonvertierungen=\n" << kDefaults;
  // Indices that name no entry select entry 0, so that a run finds either
  // "keep" or a real number in every list.
  QTest::newRow("rate index too high") << "[Einstellungen]\nSamplerate=6\n" << kDefaults;
  QTest::newRow("rate index -1") << "[Einstellungen]\nSamplerate=-1\n" << kDefaults;
  QTest::newRow("rate not a number") << "[Einstellungen]\nSamplerate=48000Hz\n" << kDefaults;
  QTest::newRow("rate stored as a rate") << "[Einstellungen]\nSamplerate=32000\n" << kDefaults;
  QTest::newRow("bits index too high") << "[Einstellungen]\nBits=4\n" << kDefaults;
  QTest::newRow("noise index -1") << "[Einstellungen]\nRauschen=-1\n" << kDefaults;
  QTest::newRow("last entries") << "[Einstellungen]\nSamplerate=5\nBits=3\nRauschen=3\n"
                                << With(With(With(kDefaults, "rate", "5"), "bits", "3"), "noise", "3");
  QTest::newRow("keys of another section") << "[Other]\nBits=3\nDither=4\n" << kDefaults;
}

void SettingsTest::loadPutsStoredValuesIntoTheControls() {
  QFETCH(QString, file);
  QFETCH(QString, expected);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  if (!file.isEmpty()) fixture.WriteSettings(file.toStdString());

  auto form = fixture.CreateMainForm();

  QCOMPARE(Describe(*form), expected);
  QVERIFY(form->HPCheckbox->isHidden());
}

void SettingsTest::saveWritesEveryKeyInOrder() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);
  form->NoiseComboBox->setCurrentIndex(2);
  form->AttenuateDBEdit->setText("00");
  form->CheckNormalize->setChecked(true);
  form->Dither3Option->setChecked(true);
  form->TargetDirectoryEdit->setText("/out dir/");
  form->TempFileCheckBox->setChecked(true);
  form->TempFilenameEdit->SetFileName("/tmp/t.raw");
  form->HPCheckbox->setChecked(true);
  form->ConcurrentJobsSpinBox->setValue(12);

  form->SaveSettings();

  QCOMPARE(test::ReadFile(fixture.SettingsFile()),
           std::string("[Einstellungen]\r\nSamplerate=3\r\nBits=3\r\nRauschen=2\r\nAbschwaecher=00\r\n"
                       "Clippingschutz=0\r\nNormalisieren=1\r\nSchnell=0\r\nDither=3\r\nZielpfad=/out dir/\r\n"
                       "TmpFile=1\r\nTmpFilePfad=/tmp/t.raw\r\nbenutzeHP=1\r\nGleichzeitigeKonvertierungen=12\r\n"));
}

void SettingsTest::roundTripKeepsEveryOption_data() {
  QTest::addColumn<QString>("file");
  QTest::newRow("defaults") << QString();
  QTest::newRow("everything on")
      << "[Einstellungen]\nSamplerate=5\nBits=1\nRauschen=3\nAbschwaecher=12\nClippingschutz=1\nNormalisieren=1\n"
         "Schnell=1\nDither=1\nZielpfad=/x/y/\nTmpFile=1\nTmpFilePfad=/t/a b.tmp\nbenutzeHP=1\n"
         "GleichzeitigeKonvertierungen=64\n";
  QTest::newRow("one job at a time") << "[Einstellungen]\nGleichzeitigeKonvertierungen=1\n";
  QTest::newRow("jobs out of bounds come back clamped") << "[Einstellungen]\nGleichzeitigeKonvertierungen=500\n";
  QTest::newRow("letters as attenuation, dither kept by the window") << "[Einstellungen]\nAbschwaecher=abc\nDither=9\n";
  QTest::newRow("hexadecimal values") << "[Einstellungen]\nBits=0x2\nSamplerate=$4\n";
  QTest::newRow("blanks and quotes around values") << "[Einstellungen]\nZielpfad = \" /with blank/ \"\n";
}

void SettingsTest::roundTripKeepsEveryOption() {
  QFETCH(QString, file);
  test::TGuiFixture fixture;
  fixture.AddConverter();
  if (!file.isEmpty()) fixture.WriteSettings(file.toStdString());

  auto first = fixture.CreateMainForm();
  const QString loaded = Describe(*first);
  QVERIFY(first->close());
  first.reset();
  auto second = fixture.CreateMainForm();

  QCOMPARE(Describe(*second), loaded);
}

void SettingsTest::saveKeepsWhatItDoesNotOwn() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  fixture.WriteSettings(
      "; kept comment\r\n[Fenster]\r\nLinks=10\r\n[Einstellungen]\r\nEigenerSchluessel=bleibt\r\nTmpFile=0\r\n"
      "TmpFilePfad=/stored/path.tmp\r\nDither=1\r\n");
  auto form = fixture.CreateMainForm();
  QVERIFY(form->TempFilenameEdit->FileName().empty());
  form->Dither4Option->setChecked(true);

  QVERIFY(form->close());

  const std::string written = test::ReadFile(fixture.SettingsFile());
  QVERIFY2(written.rfind("; kept comment\r\n[Fenster]\r\nLinks=10\r\n[Einstellungen]\r\nEigenerSchluessel=bleibt\r\n"
                         "TmpFile=0\r\nTmpFilePfad=/stored/path.tmp\r\nDither=4\r\n",
                         0) == 0,
           written.c_str());

  // Switched back on, the option finds its stored path again.
  form.reset();
  std::string switchedOn = written;
  switchedOn.replace(switchedOn.find("TmpFile=0"), 9, "TmpFile=1");
  fixture.WriteSettings(switchedOn);
  auto next = fixture.CreateMainForm();
  QCOMPARE(next->TempFilenameEdit->FileName(), std::string("/stored/path.tmp"));
  QVERIFY(!next->TempFilenameEdit->ReadOnly());
}

void SettingsTest::listWithoutSelectionIsSavedAsMinusOneAndComesBackAsEntryZero() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->ComboSampleRate->setCurrentIndex(-1);
  form->NoiseComboBox->setCurrentIndex(-1);

  form->SaveSettings();

  const std::string written = test::ReadFile(fixture.SettingsFile());
  QVERIFY2(written.find("Samplerate=-1\r\n") != std::string::npos, written.c_str());
  QVERIFY2(written.find("Rauschen=-1\r\n") != std::string::npos, written.c_str());
  form.reset();
  auto next = fixture.CreateMainForm();
  QCOMPARE(next->ComboSampleRate->currentIndex(), 0);
  QCOMPARE(next->NoiseComboBox->currentIndex(), 0);
}

void SettingsTest::unsavedOptionsStartFromTheirInitialState() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  auto form = fixture.CreateMainForm();
  form->PrioComboBox->setCurrentIndex(2);
  form->UseOldBatchModeCheckbox->setChecked(true);
  form->SetDebugMode(true);
  QVERIFY(form->close());
  form.reset();

  auto next = fixture.CreateMainForm();
  QCOMPARE(next->PrioComboBox->currentIndex(), 1);
  QVERIFY(!next->UseOldBatchModeCheckbox->isChecked());
  QVERIFY(!next->DebugMode());
}

QTEST_MAIN(SettingsTest)
#include "SettingsTest.moc"
