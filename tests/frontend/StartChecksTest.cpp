// What Start checks before it touches anything: an attenuation that the
// converter could not take stops the run with a warning naming the field.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "GuiFixture.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/FilenameEdit.h"
#include "frontend/MainForm.h"

using namespace ratemill;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

const std::string kBadAttenuation = "Abschwächer prüfen";

// A main window with its console window, the test converter as `ssrc.exe`,
// one listed source, and a record of every converter call.
struct TBench {
  TBench() {
    std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, Fixture.AppDir() + "ssrc.exe");
    Fixture.WriteLanguage("[main window]\r\nInvalidAttenuation=" + kBadAttenuation + "\r\n");
    Form = Fixture.CreateMainForm();
    Console = new TConsoleOutputForm(Form.get());
    Form->SetConsoleOutputForm(Console);
    Form->ComboSampleRate->setCurrentIndex(3);  // 48000
    Form->ComboBits->setCurrentIndex(3);        // 24
    Source = Sources / "a.wav";
    test::WriteWav(Source, 44100, 16, 2, 441);
    Form->FileList->addItem(QString::fromStdString(Source));
    Console->AddInfoLine("earlier info");
    Console->Flush();
    qputenv("RATEMILL_TC_RECORD", QByteArray::fromStdString(Record));
    qputenv("RATEMILL_TC_PROGRESS_STEPS", "1");
  }
  ~TBench() {
    qunsetenv("RATEMILL_TC_RECORD");
    qunsetenv("RATEMILL_TC_PROGRESS_STEPS");
  }

  // The arguments of the converter calls, one call per element.
  std::vector<std::vector<std::string>> Calls() const {
    std::vector<std::vector<std::string>> calls;
    std::ifstream in(Record);
    std::vector<std::string> call;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty()) {
        call.push_back(line);
        continue;
      }
      calls.push_back(call);
      call.clear();
    }
    return calls;
  }

  test::TGuiFixture Fixture;
  test::TTempDir Sources;
  std::string Record = Sources / "calls.txt";
  std::string Source;
  std::unique_ptr<TMainForm> Form;
  TConsoleOutputForm* Console = nullptr;
};

}  // namespace

class StartChecksTest : public QObject {
  Q_OBJECT

 private slots:
  void attenuationField_data();
  void attenuationField();
  void temporaryFileIsCheckedFirst();
  void attenuationIsCheckedBeforeTheList();
};

void StartChecksTest::attenuationField_data() {
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("refused");
  QTest::addColumn<QString>("attArgument");  // what follows "--att"; empty: no "--att"
  QTest::newRow("empty") << "" << true << "";
  QTest::newRow("blanks only") << "  " << true << "";
  QTest::newRow("letters") << "abc" << true << "";
  QTest::newRow("decimal comma") << "1,5" << true << "";
  QTest::newRow("unit typed along") << "3 dB" << true << "";
  QTest::newRow("zero") << "0" << false << "";
  QTest::newRow("decimal point") << "1.5" << false << "1.5";
  QTest::newRow("amplification") << "-3" << false << "-3";
  QTest::newRow("blanks around") << " 6 " << false << "6";
}

void StartChecksTest::attenuationField() {
  QFETCH(QString, text);
  QFETCH(bool, refused);
  QFETCH(QString, attArgument);
  TBench bench;
  bench.Form->AttenuateDBEdit->setText(text);

  bench.Form->StartButton->click();

  const auto& shown = bench.Fixture.Boxes.Shown();
  if (refused) {
    QCOMPARE(shown.size(), std::size_t{1});
    QCOMPARE(shown[0].Kind, TMessageKind::WarningOk);
    QCOMPARE(shown[0].Text, kBadAttenuation);
    // Nothing was started, shown, emptied or taken off the list.
    QVERIFY(!std::filesystem::exists(bench.Record));
    QVERIFY(!bench.Console->isVisible());
    QCOMPARE(bench.Console->InfoMemo->toPlainText(), QString("earlier info"));
    QCOMPARE(bench.Form->FileList->count(), 1);
    QVERIFY(!bench.Form->CancelButton->isVisible());
    QCOMPARE(bench.Form->StatusText(0), std::string());
    QCOMPARE(bench.Form->AttenuateDBEdit->text(), text);
    return;
  }
  QVERIFY(shown.empty());
  const auto calls = bench.Calls();
  QCOMPARE(calls.size(), std::size_t{1});
  const auto att = std::find(calls[0].begin(), calls[0].end(), "--att");
  if (attArgument.isEmpty()) {
    QVERIFY(att == calls[0].end());
  } else {
    QVERIFY(att != calls[0].end() && att + 1 != calls[0].end());
    QCOMPARE(QString::fromStdString(*(att + 1)), attArgument);
  }
  QCOMPARE(bench.Form->FileList->count(), 0);
}

// The temporary-file check keeps its place in front: a run with both faults
// names the temporary file only.
void StartChecksTest::temporaryFileIsCheckedFirst() {
  TBench bench;
  bench.Form->AttenuateDBEdit->setText("abc");
  bench.Form->TempFileCheckBox->setChecked(true);
  bench.Form->TempFilenameEdit->SetFileName("");

  bench.Form->StartButton->click();

  const auto& shown = bench.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t{1});
  QCOMPARE(shown[0].Kind, TMessageKind::ErrorOk);
  QCOMPARE(shown[0].Text, bench.Form->MessageText(TTextId::NoTmpFileName));
  QVERIFY(!std::filesystem::exists(bench.Record));
}

// An empty list is reported only once the field is fixed, and the console
// window is not shown for a refused field.
void StartChecksTest::attenuationIsCheckedBeforeTheList() {
  TBench bench;
  bench.Form->FileList->clear();
  bench.Form->AttenuateDBEdit->setText("");

  bench.Form->StartButton->click();
  bench.Form->AttenuateDBEdit->setText("0");
  bench.Form->StartButton->click();

  const auto& shown = bench.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t{2});
  QCOMPARE(shown[0].Text, kBadAttenuation);
  QCOMPARE(shown[1].Kind, TMessageKind::WarningOk);
  QCOMPARE(shown[1].Text, bench.Form->MessageText(TTextId::NoFilesSelected));
  QVERIFY(bench.Console->isVisible());
}

QTEST_MAIN(StartChecksTest)
#include "StartChecksTest.moc"
