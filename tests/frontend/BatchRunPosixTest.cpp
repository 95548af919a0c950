// Whole runs of the Start button that need POSIX: the old batch mode's shell
// script and terminal, a FIFO among the sources, and real conversions through
// the sox wrapper, a bash script.
#include <QStandardPaths>
#include <QTest>
#include <filesystem>

#include <sys/stat.h>

#include "BatchRunBench.h"

using namespace ratemill;
using namespace ratemill::test;
using platform::TMessageAnswer;

class BatchRunPosixTest : public QObject {
  Q_OBJECT

 private slots:
  void oldBatchModeRunsTheScript_data();
  void oldBatchModeRunsTheScript();
  void oldBatchModeUsesATerminalWhenThereIsOne();
  void sourcesThatAreNoRegularFilesAreSkippedAndNamed();
  void realConversionThroughTheSoxWrapper_data();
  void realConversionThroughTheSoxWrapper();
};

void BatchRunPosixTest::oldBatchModeRunsTheScript_data() {
  QTest::addColumn<bool>("hp");
  QTest::newRow("ssrc.exe") << false;
  // The hidden box restored as checked: the script asks for the missing
  // build, which fails inside the script, not in the run.
  QTest::newRow("ssrc_hp.exe absent") << true;
}

void BatchRunPosixTest::oldBatchModeRunsTheScript() {
  QFETCH(bool, hp);
  TBench bench;
  test::TTempDir noTerminal;
  bench.Env.Set("PATH", noTerminal.Path());
  bench.Form->UseOldBatchModeCheckbox->setChecked(true);
  bench.Form->HPCheckbox->setChecked(hp);
  bench.Console->AddInfoLine("kept info");
  bench.Console->AddErrorLine("kept error");
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  bench.Start();

  const std::string outA = bench.Sources / "a_48-24.wav";
  const std::string outB = bench.Sources / "b_48-24.wav";
  const std::string appDir = bench.Fixture.AppDir();
  const std::string echoed =
      std::string(hp ? "ssrc_hp" : "ssrc") + "  --rate 48000 --bits 24 --dither 2 \"" + b + "\" \"" + outB + "\"";
  const std::string expectedScript = "#!/bin/sh\ncd '" + appDir + "' || exit 1\nprintf '%s\\n' '" + echoed + "'\n'./" +
                                     (hp ? "ssrc_hp.exe" : "ssrc.exe") +
                                     "' '--rate' '48000' '--bits' '24' '--dither' '2' '" + b + "' '" + outB + "'\n";
  QCOMPARE(test::ReadFile(appDir + "callssrc.bat"), expectedScript);
  if (hp) {
    QVERIFY(bench.Calls().empty());
  } else {
    QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, outA), TBench::Argv(b, outB)}));
    QVERIFY(test::ReadWavFormat(outB).has_value());
  }
  QCOMPARE(PaneLines(bench.Console->InfoMemo), Lines{"kept info"});
  QCOMPARE(PaneLines(bench.Console->ErrorMemo), Lines{"kept error"});
  QVERIFY(!bench.Console->isVisible());
  QVERIFY(bench.ListEntries().empty());
  QVERIFY(bench.Fixture.Boxes.Shown().empty());
  bench.CheckIdle();
}

void BatchRunPosixTest::oldBatchModeUsesATerminalWhenThereIsOne() {
  TBench bench;
  test::TTempDir terminalDir;
  // A terminal that notes its arguments and runs what follows -e, as a real
  // one does inside its window.
  const std::string terminal = terminalDir / "x-terminal-emulator";
  test::WriteFile(terminal,
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"${0%/*}/args\"\n"
                  "while [ \"$1\" != -e ]; do shift; done\nshift\nexec \"$@\"\n");
  std::filesystem::permissions(terminal, std::filesystem::perms(0755));
  bench.Env.Set("PATH", terminalDir.Path());
  bench.Form->UseOldBatchModeCheckbox->setChecked(true);
  const std::string a = bench.AddSource("a.wav");
  bench.Start();

  QCOMPARE(test::ReadFile(terminalDir / "args"),
           "-T\nssrc.exe  - a.wav\n-e\n/bin/sh\n" + bench.Fixture.AppDir() + "callssrc.bat\n");
  QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, bench.Sources / "a_48-24.wav")}));
  bench.CheckIdle();
}

void BatchRunPosixTest::sourcesThatAreNoRegularFilesAreSkippedAndNamed() {
  TBench bench;
  // The rate kept: a convertible source has its header read for its name.
  bench.Form->ComboSampleRate->setCurrentIndex(0);
  const std::string a = bench.AddSource("a.wav", 48000);
  const std::string fifo = bench.Sources / "fifo.wav";
  QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
  bench.Form->FileList->addItem(QString::fromStdString(fifo));
  const std::string folder = bench.Sources / "folder.wav";
  std::filesystem::create_directory(folder);
  bench.Form->FileList->addItem(QString::fromStdString(folder));
  const std::string b = bench.AddSource("b.wav", 48000);
  bench.Start();

  QCOMPARE(bench.Calls().size(), std::size_t{2});
  QCOMPARE(bench.Calls()[0].at(bench.Calls()[0].size() - 2), a);
  QCOMPARE(bench.Calls()[1].at(bench.Calls()[1].size() - 2), b);
  QCOMPARE(PaneLines(bench.Console->ErrorMemo),
           (Lines{"Error while processing file " + fifo, "Not converted: it is a FIFO, not a regular file",
                  "Error while processing file " + folder, "Not converted: it is a folder, not a file"}));
  QVERIFY(bench.ListEntries().empty());
  bench.CheckIdle();
}

void BatchRunPosixTest::realConversionThroughTheSoxWrapper_data() {
  QTest::addColumn<int>("sourceRate");
  QTest::addColumn<int>("sourceBits");
  QTest::addColumn<int>("rateIndex");
  QTest::addColumn<int>("bitsIndex");
  QTest::addColumn<QString>("outputName");
  QTest::addColumn<int>("rate");
  QTest::addColumn<int>("bits");
  QTest::newRow("rate and bits chosen") << 44100 << 16 << 3 << 3 << "a_48-24.wav" << 48000 << 24;
  QTest::newRow("rate kept, bits chosen") << 22050 << 24 << 0 << 2 << "a_22-16.wav" << 22050 << 16;
  QTest::newRow("rate chosen, bits kept") << 48000 << 16 << 2 << 0 << "a_44-16.wav" << 44100 << 16;
}

void BatchRunPosixTest::realConversionThroughTheSoxWrapper() {
  QFETCH(int, sourceRate);
  QFETCH(int, sourceBits);
  QFETCH(int, rateIndex);
  QFETCH(int, bitsIndex);
  QFETCH(QString, outputName);
  QFETCH(int, rate);
  QFETCH(int, bits);
  // The wrapper needs sox; without it this test fails rather than skips.
  QVERIFY2(!QStandardPaths::findExecutable("sox").isEmpty(), "sox is not installed");

  TBench bench(RATEMILL_SSRC_SOX);
  bench.Form->ComboSampleRate->setCurrentIndex(rateIndex);
  bench.Form->ComboBits->setCurrentIndex(bitsIndex);
  const std::string source = bench.Sources / "a.wav";
  test::WriteWav(source, static_cast<std::uint32_t>(sourceRate), static_cast<std::uint16_t>(sourceBits), 2,
                 static_cast<std::uint64_t>(sourceRate) / 10);
  bench.Form->FileList->addItem(QString::fromStdString(source));
  bench.Form->TargetDirectoryEdit->setText(QString::fromStdString(bench.Outputs.Path()));
  bench.Start();

  const std::string output = bench.Outputs / outputName.toStdString();
  const auto format = test::ReadWavFormat(output);
  QVERIFY2(format.has_value(), (output + "\n" + bench.Console->ErrorMemo->toPlainText().toStdString()).c_str());
  QCOMPARE(format->Rate, static_cast<std::uint32_t>(rate));
  QCOMPARE(format->Bits, static_cast<std::uint16_t>(bits));
  QCOMPARE(format->Channels, std::uint16_t{2});
  // A tenth of a second of sound, at the new rate.
  QCOMPARE(format->DataSize, static_cast<std::uint32_t>(rate / 10 * 2 * (bits / 8)));
  QVERIFY(bench.ListEntries().empty());
  bench.CheckIdle();
}

QTEST_MAIN(BatchRunPosixTest)
#include "BatchRunPosixTest.moc"
