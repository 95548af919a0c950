// Whole runs of the Start button on real WAV files, with the converter
// stand-in as ssrc.exe in a program folder of the test's own, and the user's
// answers scripted. The cases that need POSIX (FIFOs, the shell script of the
// old batch mode, the sox wrapper) are in BatchRunPosixTest.cpp.
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <map>
#include <optional>

#include "BatchRunBench.h"
#include "frontend/BatchRun.h"
#include "frontend/FilenameEdit.h"

using namespace ratemill;
using namespace ratemill::test;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

// Whether the system tells a converter's end by a signal apart from its exit
// code; where it does not, a killed converter is a failed one by its code.
constexpr bool kEndsBySignal = RATEMILL_TEST_ENDS_BY_SIGNAL;

}  // namespace

class BatchRunTest : public QObject {
  Q_OBJECT

 private slots:
  void captureModeConvertsEveryFileIntoTheTypedFolder();
  void existingOutputIsReplacedOnlyAfterYes_data();
  void existingOutputIsReplacedOnlyAfterYes();
  void missingOutputFolder_data();
  void missingOutputFolder();
  void cancelDuringSecondOfThreeAndASecondStart();
  void cancelDuringLastFileEndsNormally();
  void debugModeShowsCommandsAndStartsNothing_data();
  void debugModeShowsCommandsAndStartsNothing();
  void emptyList_data();
  void emptyList();
  void temporaryFileFolder_data();
  void temporaryFileFolder();
  void converterRemovedBeforeStart();
  void unstartableConverterIsReportedAndControlsRestored();
  void fileListChangesDuringTheRun();
  void converterGoneMidRunEndsTheRunAfterTheRunningOne_data();
  void converterGoneMidRunEndsTheRunAfterTheRunningOne();
  void closingTheMainWindowStopsTheRunningConverter_data();
  void closingTheMainWindowStopsTheRunningConverter();
  void consolePanesHoldTheExactLines();
  void progressRewrittenAHundredTimesIsOneLine();
  void errorHeaders_data();
  void errorHeaders();
  void converterWritesAHiddenTemporaryFile();
  void failedConversionKeepsTheExistingOutputAndSaysWhy_data();
  void failedConversionKeepsTheExistingOutputAndSaysWhy();
  void threeAtOnceKeepEachFilesBlockWhole();
  void overwriteQuestionsComeBeforeAnyConverterStarts();
  void overviewOfARunWithEveryOutcome();
  void failedFilesBoxNamesTheFirstFive_data();
  void failedFilesBoxNamesTheFirstFive();
  void progressRisesAndTheTimeLeftFalls();
  void selectingARowShowsTheFilesBlock();
  void selectingARowWhoseBlockWasDroppedShowsTheTop();
};

void BatchRunTest::captureModeConvertsEveryFileIntoTheTypedFolder() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav", 22050, 8);
  const std::string c = bench.AddSource("c.wav", 96000, 24);
  std::string folder = bench.Outputs.Path();
  folder.pop_back();  // typed without its trailing delimiter
  bench.Form->TargetDirectoryEdit->setText(QString::fromStdString(folder));

  // What the window shows while the second file converts.
  bool cancelShown = false, startHidden = false, busy = false;
  std::string status;
  bench.WhileConverting(b, [&] {
    cancelShown = !bench.Form->CancelButton->isHidden();
    busy = QApplication::overrideCursor() != nullptr && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    status = bench.Form->StatusText(0);
    startHidden = true;
  });
  bench.Start();

  QCOMPARE(bench.Form->TargetDirectoryEdit->text().toStdString(), bench.Outputs.Path());
  const std::string outA = bench.Outputs / "a_48-24.wav";
  const std::string outB = bench.Outputs / "b_48-24.wav";
  const std::string outC = bench.Outputs / "c_48-24.wav";
  QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, outA), TBench::Argv(b, outB), TBench::Argv(c, outC)}));
  for (const std::string& output : {outA, outB, outC}) {
    const auto format = test::ReadWavFormat(output);
    QVERIFY2(format.has_value(), output.c_str());
    QCOMPARE(format->Rate, 48000u);
    QCOMPARE(format->Bits, std::uint16_t{24});
  }
  QVERIFY(startHidden);
  QVERIFY(cancelShown);
  QVERIFY(busy);
  QCOMPARE(status, bench.ProcessingStatus("b.wav"));
  QVERIFY(bench.Fixture.Boxes.Shown().empty());
  QVERIFY(bench.ListEntries().empty());
  QCOMPARE(bench.Summary(), std::string("3 Dateien: 3 konvertiert"));
  QVERIFY(bench.Console->isVisible());
  bench.CheckIdle();
}

void BatchRunTest::existingOutputIsReplacedOnlyAfterYes_data() {
  QTest::addColumn<TMessageAnswer>("answer");
  QTest::addColumn<bool>("replaced");
  QTest::newRow("yes") << TMessageAnswer::Yes << true;
  QTest::newRow("no") << TMessageAnswer::No << false;
  QTest::newRow("box closed") << TMessageAnswer::Closed << false;
}

void BatchRunTest::existingOutputIsReplacedOnlyAfterYes() {
  QFETCH(TMessageAnswer, answer);
  QFETCH(bool, replaced);
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  const std::string outB = bench.Sources / "b_48-24.wav";  // no folder: beside the source
  test::WriteFile(outB, "earlier output");
  bench.Fixture.Boxes.Answer(answer);
  bench.Start();

  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, TMessageKind::WarningYesNo);
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Text, "Zieldatei " + outB + " bereits vorhanden. Überschreiben?");
  std::vector<Lines> expected{TBench::Argv(a, bench.Sources / "a_48-24.wav")};
  if (replaced) expected.push_back(TBench::Argv(b, outB));
  expected.push_back(TBench::Argv(c, bench.Sources / "c_48-24.wav"));
  QCOMPARE(bench.Calls(), expected);
  QCOMPARE(test::ReadFile(outB) == "earlier output", !replaced);
  QVERIFY(bench.ListEntries().empty());  // the skipped entry leaves the list too
  bench.CheckIdle();
}

void BatchRunTest::missingOutputFolder_data() {
  QTest::addColumn<TMessageAnswer>("answer");
  QTest::addColumn<bool>("runs");
  // The delimiter the folder is typed with; empty for the system's own.
  QTest::addColumn<QString>("typed");
  QTest::newRow("yes creates it with its parents") << TMessageAnswer::Yes << true << QString();
  QTest::newRow("cancel") << TMessageAnswer::Cancel << false << QString();
  QTest::newRow("box closed") << TMessageAnswer::Closed << false << QString();
  // Windows takes both delimiters: a folder typed with slashes ends in one
  // already and gets no second delimiter.
  QTest::newRow("typed with slashes") << TMessageAnswer::Yes << true << QString("/");
}

void BatchRunTest::missingOutputFolder() {
  QFETCH(TMessageAnswer, answer);
  QFETCH(bool, runs);
  QFETCH(QString, typed);
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  // A folder that ends in a delimiter is kept as it is typed.
  const std::string delimiter = typed.isEmpty()
                                    ? std::string(1, static_cast<char>(std::filesystem::path::preferred_separator))
                                    : typed.toStdString();
  const std::string folder = bench.Outputs / ("new" + delimiter + "deeper" + delimiter);
  bench.Form->TargetDirectoryEdit->setText(QString::fromStdString(folder));
  bench.UseTexts("CreateNewDirQuery=Ordner %s anlegen?\n");
  bench.Fixture.Boxes.Answer(answer);
  bench.Start();

  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, TMessageKind::ConfirmYesCancel);
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Text, "Ordner " + folder + " anlegen?");
  QCOMPARE(std::filesystem::is_directory(folder), runs);
  if (runs) {
    QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, folder + "a_48-24.wav")}));
    QVERIFY(bench.ListEntries().empty());
    QCOMPARE(bench.Summary(), std::string("1 Datei: 1 konvertiert"));
  } else {
    QVERIFY(bench.Calls().empty());
    QCOMPARE(bench.ListEntries(), (std::vector<std::string>{a}));
    QCOMPARE(bench.Form->StatusText(0), std::string());
  }
  bench.CheckIdle();
}

void BatchRunTest::cancelDuringSecondOfThreeAndASecondStart() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  bench.Env.Set("RATEMILL_TC_SLEEP_MS", "300");
  bench.Env.Set("RATEMILL_TC_PROGRESS_STEPS", "6");
  bool startShownAfterCancel = false;
  bench.WhileConverting(b, [&] {
    bench.Form->CancelButton->click();
    startShownAfterCancel = !bench.Form->StartButton->isHidden() && bench.Form->CancelButton->isHidden();
    // The converter of b still runs: a second Start must not begin a run.
    bench.Form->StartButton->click();
  });
  bench.Start();

  QVERIFY(startShownAfterCancel);
  const std::string outB = bench.Sources / "b_48-24.wav";
  QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, bench.Sources / "a_48-24.wav"), TBench::Argv(b, outB)}));
  // b ran to its end; c never started.
  const auto format = test::ReadWavFormat(outB);
  QVERIFY(format.has_value() && format->HasData && format->DataSize > 0);
  QVERIFY(!Exists(bench.Sources / "c_48-24.wav"));
  // The converted files leave the list; the one that never started stays,
  // selected, and is the only one counted as cancelled.
  QCOMPARE(bench.States(), (std::vector<std::string>{"fertig", "fertig", "abgebrochen"}));
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{c}));
  QCOMPARE(bench.SelectedEntries(), (std::vector<std::string>{c}));
  QCOMPARE(bench.Summary(), std::string("3 Dateien: 2 konvertiert, 1 abgebrochen"));
  QVERIFY(bench.Fixture.Boxes.Shown().empty());
  bench.CheckIdle();

  // The guard is gone with the run: the next Start converts what is left.
  bench.Start();
  QVERIFY(bench.Fixture.Boxes.Shown().empty());
  QCOMPARE(bench.Calls().size(), std::size_t{3});
  QCOMPARE(bench.Calls().back(), TBench::Argv(c, bench.Sources / "c_48-24.wav"));
  QVERIFY(bench.ListEntries().empty());
}

void BatchRunTest::cancelDuringLastFileEndsNormally() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  bench.WhileConverting(b, [&] { bench.Form->CancelButton->click(); });
  bench.Start();

  QCOMPARE(bench.Calls().size(), std::size_t{2});
  QVERIFY(bench.ListEntries().empty());
  QCOMPARE(bench.Summary(), std::string("2 Dateien: 2 konvertiert"));
  bench.CheckIdle();
}

void BatchRunTest::debugModeShowsCommandsAndStartsNothing_data() {
  QTest::addColumn<bool>("oldBatchMode");
  QTest::addColumn<QString>("name");
  QTest::newRow("capture mode: one blank") << false << "ssrc.exe";
  QTest::newRow("old batch mode: two blanks") << true << "ssrc.exe ";
}

void BatchRunTest::debugModeShowsCommandsAndStartsNothing() {
  QFETCH(bool, oldBatchMode);
  QFETCH(QString, name);
  TBench bench;
  bench.Form->UseOldBatchModeCheckbox->setChecked(oldBatchMode);
  bench.Form->SetDebugMode(true);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  const std::string outB = bench.Sources / "b_48-24.wav";
  test::WriteFile(outB, "earlier output");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Fixture.Boxes.Answer(TMessageAnswer::Yes);  // the overwrite question is still asked
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  const std::string prefix = name.toStdString();
  const auto& shown = bench.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t{4});
  QCOMPARE(shown[0].Kind, TMessageKind::PlainOk);
  QCOMPARE(shown[0].Text, prefix + TBench::CommandLine(a, bench.Sources / "a_48-24.wav"));
  QCOMPARE(shown[1].Kind, TMessageKind::WarningYesNo);
  QCOMPARE(shown[2].Text, prefix + TBench::CommandLine(b, outB));
  QCOMPARE(shown[3].Text, prefix + TBench::CommandLine(c, bench.Sources / "c_48-24.wav"));
  QVERIFY(bench.Calls().empty());
  QCOMPARE(test::ReadFile(outB), std::string("earlier output"));
  QVERIFY(!Exists(bench.Fixture.AppDir() + "callssrc.bat"));
  QVERIFY(bench.ListEntries().empty());
  bench.CheckIdle();
}

void BatchRunTest::emptyList_data() {
  QTest::addColumn<bool>("oldBatchMode");
  QTest::newRow("capture mode") << false;
  QTest::newRow("old batch mode") << true;
}

void BatchRunTest::emptyList() {
  QFETCH(bool, oldBatchMode);
  TBench bench;
  bench.Form->UseOldBatchModeCheckbox->setChecked(oldBatchMode);
  bench.UseTexts("NoFilesSelected=Keine Dateien\n");
  bench.Console->AddInfoLine("earlier info");
  bench.Console->AddErrorLine("earlier error");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, TMessageKind::WarningOk);
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Text, std::string("Keine Dateien"));
  QCOMPARE(bench.Console->isVisible(), !oldBatchMode);
  QCOMPARE(PaneLines(bench.Console->InfoMemo), oldBatchMode ? Lines{"earlier info"} : Lines{""});
  QCOMPARE(PaneLines(bench.Console->ErrorMemo), oldBatchMode ? Lines{"earlier error"} : Lines{""});
  bench.CheckIdle();
}

void BatchRunTest::temporaryFileFolder_data() {
  QTest::addColumn<QString>("fileName");  // "<tmp>" stands for an existing folder
  QTest::addColumn<bool>("refused");
  QTest::newRow("no name") << "" << true;
  QTest::newRow("bare file name") << "scratch.tmp" << true;
  QTest::newRow("folder missing") << "<tmp>missing/scratch.tmp" << true;
  QTest::newRow("folder there") << "<tmp>scratch.tmp" << false;
}

void BatchRunTest::temporaryFileFolder() {
  QFETCH(QString, fileName);
  QFETCH(bool, refused);
  TBench bench;  // with an empty list: the temporary file is checked first
  bench.Form->TempFileCheckBox->setChecked(true);
  bench.Form->TempFilenameEdit->SetFileName(
      fileName.replace("<tmp>", QString::fromStdString(bench.Scratch.Path())).toStdString());
  bench.UseTexts("NoTmpFileName=Kein Temp\nNoFilesSelected=Keine Dateien\n");
  bench.Console->AddInfoLine("earlier info");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, refused ? TMessageKind::ErrorOk : TMessageKind::WarningOk);
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Text, std::string(refused ? "Kein Temp" : "Keine Dateien"));
  // Refused before anything changed: the console window is as it was.
  QCOMPARE(bench.Console->isVisible(), !refused);
  QCOMPARE(PaneLines(bench.Console->InfoMemo), refused ? Lines{"earlier info"} : Lines{""});
  bench.CheckIdle();
}

void BatchRunTest::converterRemovedBeforeStart() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  std::filesystem::remove(bench.Fixture.AppDir() + "ssrc.exe");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorOk);
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Text, std::string(kMissingConverter));
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{a}));
  bench.CheckIdle();
}

void BatchRunTest::unstartableConverterIsReportedAndControlsRestored() {
  TBench bench;
  // Checked while hidden, as restored settings can leave it: the run asks
  // for ssrc_hp.exe, which is not there.
  bench.Form->HPCheckbox->setChecked(true);
  const std::string a = bench.AddSource("a.wav");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  // The box names the program and the file, then gives the system's reason.
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(bench.Fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorOk);
  const std::string expected = "Das Programm " + bench.Fixture.AppDir() +
                               "ssrc_hp.exe kann nicht gestartet werden.\nDatei: " + a + "\nSystemfehler.  Code: 2.\n";
  QVERIFY2(bench.Fixture.Boxes.Shown()[0].Text.rfind(expected, 0) == 0, bench.Fixture.Boxes.Shown()[0].Text.c_str());
  QVERIFY(bench.Calls().empty());
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{a}));
  // Nothing is being converted any more, so no file is named there; the
  // file whose converter did not start counts as failed.
  QCOMPARE(bench.Summary(), std::string("1 Datei: 0 konvertiert, 1 fehlgeschlagen"));
  bench.CheckIdle();

  // Nothing of the failed run is left in the way of the next one.
  bench.Form->HPCheckbox->setChecked(false);
  bench.Start();
  QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, bench.Sources / "a_48-24.wav")}));
  QVERIFY(bench.ListEntries().empty());
}

void BatchRunTest::converterGoneMidRunEndsTheRunAfterTheRunningOne_data() {
  QTest::addColumn<int>("jobs");
  QTest::newRow("one at a time") << 1;
  QTest::newRow("two at once") << 2;
}

void BatchRunTest::converterGoneMidRunEndsTheRunAfterTheRunningOne() {
  QFETCH(int, jobs);
  TBench bench;
  bench.Form->SetConcurrentJobs(jobs);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  const std::string d = bench.AddSource("d.wav");
  // With two at once b starts beside a, so the program goes while b runs.
  // It is moved aside rather than removed: Windows removes no running program.
  bench.Env.Set("RATEMILL_TC_SLEEP_MS", "300");
  bench.WhenStarted(jobs,
                    [&] { std::filesystem::rename(bench.Fixture.AppDir() + "ssrc.exe", bench.Scratch / "ssrc.exe"); });
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Start();

  const std::string next = jobs == 1 ? b : c;
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});
  const std::string expected = "Das Programm " + bench.Fixture.AppDir() +
                               "ssrc.exe kann nicht gestartet werden.\nDatei: " + next + "\nSystemfehler.  Code: 2.\n";
  QVERIFY2(bench.Fixture.Boxes.Shown()[0].Text.rfind(expected, 0) == 0, bench.Fixture.Boxes.Shown()[0].Text.c_str());
  // What was running when the program went still ends whole; nothing after
  // the failed file starts, and the run ends like a cancelled one.
  QCOMPARE(bench.Calls().size(), static_cast<std::size_t>(jobs));
  QVERIFY(test::ReadWavFormat(bench.Sources / "a_48-24.wav").has_value());
  QCOMPARE(test::ReadWavFormat(bench.Sources / "b_48-24.wav").has_value(), jobs == 2);
  QVERIFY(!Exists(bench.Sources / "c_48-24.wav"));
  // The converted files leave the list; the one that could not start and
  // those after it stay for another try.
  QCOMPARE(bench.ListEntries(), jobs == 1 ? (std::vector<std::string>{b, c, d}) : (std::vector<std::string>{c, d}));
  QCOMPARE(bench.Summary(), jobs == 1 ? std::string("4 Dateien: 1 konvertiert, 1 fehlgeschlagen, 2 abgebrochen")
                                      : std::string("4 Dateien: 2 konvertiert, 1 fehlgeschlagen, 1 abgebrochen"));
  bench.CheckIdle();
}

void BatchRunTest::fileListChangesDuringTheRun() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  std::string d;
  bench.WhileConverting(a, [&] {
    delete bench.Form->FileList->takeItem(2);
    delete bench.Form->FileList->takeItem(1);
    d = bench.AddSource("d.wav");
  });
  bench.Start();

  // The run goes through the entries it started with, each by its own path.
  QCOMPARE(bench.Calls(), (std::vector<Lines>{TBench::Argv(a, bench.Sources / "a_48-24.wav"),
                                              TBench::Argv(b, bench.Sources / "b_48-24.wav"),
                                              TBench::Argv(c, bench.Sources / "c_48-24.wav")}));
  // The entry added meanwhile was never converted and stays.
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{d}));
  bench.CheckIdle();
}

void BatchRunTest::closingTheMainWindowStopsTheRunningConverter_data() {
  QTest::addColumn<int>("jobs");
  QTest::newRow("one at a time") << 1;
  QTest::newRow("two at once") << 2;
}

// Closing used to let the running converter finish; now it is stopped at once
// and leaves nothing behind, while an existing output stays as it was.
void BatchRunTest::closingTheMainWindowStopsTheRunningConverter() {
  QFETCH(int, jobs);
  TBench bench;
  bench.Form->SetConcurrentJobs(jobs);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  const std::string outA = bench.Sources / "a_48-24.wav";
  test::WriteFile(outA, "earlier output");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Yes);
  bench.Env.Set("RATEMILL_TC_SLEEP_MS", "60000");
  bench.Env.Set("RATEMILL_TC_PROGRESS_STEPS", "600");
  bench.WhenStarted(jobs, [&] { bench.Form->close(); });
  bench.Start();

  QCOMPARE(bench.Calls().size(), static_cast<std::size_t>(jobs));
  QCOMPARE(test::ReadFile(outA), std::string("earlier output"));
  const std::vector<std::string> left = [&] {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(bench.Sources.Path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }();
  QCOMPARE(left, (std::vector<std::string>{"a.wav", "a_48-24.wav", "b.wav", "c.wav"}));
  QVERIFY(Exists(bench.Fixture.SettingsFile()));
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{a, b, c}));
  // The converters stopped by the closing were cut short, not failed.
  QCOMPARE(bench.States(), (std::vector<std::string>{"abgebrochen", "abgebrochen", "abgebrochen"}));
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{1});  // the overwrite question
  bench.CheckIdle();
}

void BatchRunTest::consolePanesHoldTheExactLines() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav", 22050, 8);
  // Only a writes to standard error; its second error line is rewritten.
  bench.OnProcessing(a, [&] { bench.Env.Set("RATEMILL_TC_STDERR_LINES", "warning one\n10% left\r20% left"); });
  bench.OnProcessing(b, [&] { bench.Env.Unset("RATEMILL_TC_STDERR_LINES"); });
  bench.Console->AddInfoLine("from an earlier run");
  bench.Start();

  const std::string outA = bench.Sources / "a_48-24.wav";
  const std::string outB = bench.Sources / "b_48-24.wav";
  auto converterLines = [](const std::string& source, const std::string& output, const std::string& input) {
    return Lines{"Ratemill test converter 1.0 (stand-in for ssrc)", "", "Source file : " + source,
                 "Destination file : " + output, "Input : " + input, "Output : 48000Hz, 24bit", "Attenuation : 0dB",
                 "Dither type : 2, PDF : default", "Profile : standard", "Two-pass : off, normalize : off", "",
                 // "   0% processed" and then, after a carriage return, this:
                 " 100% processed, ETA =   0sec", "peak : 0.500000 (-6.02dB)", "done", ""};
  };
  Lines info{"====>  Processing file: " + a};
  for (const std::string& line : converterLines(a, outA, "44100Hz, 16bit, 2ch")) info.push_back(line);
  info.push_back("====>  Processing file: " + b);
  for (const std::string& line : converterLines(b, outB, "22050Hz, 8bit, 2ch")) info.push_back(line);
  QCOMPARE(bench.InfoLinesBeforeSummary(), info);
  QCOMPARE(PaneLines(bench.Console->ErrorMemo),
           (Lines{"Error while processing file " + a, "Command line: " + TBench::CommandLine(a, outA), "warning one",
                  "20% left", ""}));
}

void BatchRunTest::progressRewrittenAHundredTimesIsOneLine() {
  TBench bench;
  bench.Env.Set("RATEMILL_TC_PROGRESS_STEPS", "100");
  bench.AddSource("a.wav");
  bench.Start();

  int progressLines = 0;
  std::string last;
  for (const std::string& line : PaneLines(bench.Console->InfoMemo)) {
    if (line.find("% processed") == std::string::npos) continue;
    ++progressLines;
    last = line;
  }
  QCOMPARE(progressLines, 1);
  QVERIFY2(last.rfind(" 100% processed", 0) == 0, last.c_str());
}

void BatchRunTest::errorHeaders_data() {
  // Runs are separated by "|", the files of a run by ",", and each file is
  // "name=stderr", "-" standing for no error output. Every error text ends
  // with a line feed, which leaves an empty line behind. In the expected
  // lines "<H:x>" and "<C:x>" stand for the two header lines of source x.
  QTest::addColumn<QString>("runs");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("two files with error output, a header each")
      << "a=one,b=two" << QStringList{"<H:a>", "<C:a>", "one", "", "<H:b>", "<C:b>", "two", ""};
  QTest::newRow("a file without error output gets no header")
      << "a=-,b=two" << QStringList{"<H:b>", "<C:b>", "two", ""};
  QTest::newRow("three lines in order, a rewritten one replaces only itself")
      << "a=first\nhalf\rwhole\nthird" << QStringList{"<H:a>", "<C:a>", "first", "whole", "third", ""};
  QTest::newRow("the same file twice in a row, one header")
      << "a=one,a=two" << QStringList{"<H:a>", "<C:a>", "one", "", "two", ""};
  QTest::newRow("a new run starting with the file of the last header") << "a=one|a=two" << QStringList{"two", ""};
  QTest::newRow("a new run with another file") << "a=one|b=two" << QStringList{"<H:b>", "<C:b>", "two", ""};
}

void BatchRunTest::errorHeaders() {
  QFETCH(QString, runs);
  QFETCH(QStringList, expected);
  TBench bench;
  std::map<std::string, std::string> sources;
  for (const char* name : {"a", "b"}) sources[name] = bench.Sources / (std::string(name) + ".wav");
  for (const auto& [name, path] : sources) test::WriteWav(path, 44100, 16, 2, 441);

  // Each converter start takes the next error text, set just before it starts.
  std::vector<std::string> errorTexts;
  std::size_t next = 0;
  int announcedBlock = -1;
  bench.Hooks.push_back(QObject::connect(bench.Console->InfoMemo, &QPlainTextEdit::textChanged, bench.Console, [&] {
    const QTextBlock block = bench.Console->InfoMemo->document()->lastBlock();
    if (!block.text().startsWith("====>  Processing file: ") || block.blockNumber() == announcedBlock) return;
    announcedBlock = block.blockNumber();
    const std::string& text = errorTexts.at(next++);
    if (text == "-")
      bench.Env.Unset("RATEMILL_TC_STDERR_LINES");
    else
      bench.Env.Set("RATEMILL_TC_STDERR_LINES", text);
  }));

  for (const QString& run : runs.split('|')) {
    for (const QString& file : run.split(',')) {
      const std::string name = file.section('=', 0, 0).toStdString();
      errorTexts.push_back(file.section('=', 1).toStdString());
      bench.Form->FileList->addItem(QString::fromStdString(sources.at(name)));
      bench.Fixture.Boxes.Answer(TMessageAnswer::Yes);  // for an output left by an earlier conversion
    }
    announcedBlock = -1;
    bench.Start();
  }
  QCOMPARE(next, errorTexts.size());

  Lines expectedLines;
  for (const QString& line : expected) {
    const std::string text = line.toStdString();
    if (text.size() == 5 && text[0] == '<' && text[2] == ':') {
      const std::string& source = sources.at(text.substr(3, 1));
      const std::string output = source.substr(0, source.size() - 4) + "_48-24.wav";
      expectedLines.push_back(text[1] == 'H' ? "Error while processing file " + source
                                             : "Command line: " + TBench::CommandLine(source, output));
    } else {
      expectedLines.push_back(text);
    }
  }
  QCOMPARE(PaneLines(bench.Console->ErrorMemo), expectedLines);
}

void BatchRunTest::converterWritesAHiddenTemporaryFile() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  bench.Start();

  const std::string temporary =
      bench.Sources / (".a_48-24.wav.ratemill-part-" + std::to_string(QCoreApplication::applicationPid()) + "-1");
  QCOMPARE(bench.RawCalls(), (std::vector<Lines>{TBench::Argv(a, temporary)}));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(bench.Sources.Path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  QCOMPARE(names, (std::vector<std::string>{"a.wav", "a_48-24.wav"}));
  QVERIFY(test::ReadWavFormat(bench.Sources / "a_48-24.wav").has_value());
}

void BatchRunTest::failedConversionKeepsTheExistingOutputAndSaysWhy_data() {
  QTest::addColumn<int>("jobs");
  QTest::newRow("one at a time") << 1;
  QTest::newRow("three at once") << 3;
}

void BatchRunTest::failedConversionKeepsTheExistingOutputAndSaysWhy() {
  QFETCH(int, jobs);
  TBench bench;
  bench.Form->SetConcurrentJobs(jobs);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  const std::string outB = bench.Sources / "b_48-24.wav";
  test::WriteFile(outB, "earlier output");
  bench.Fixture.Boxes.Answer(TMessageAnswer::Yes);
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);
  bench.Env.Set("RATEMILL_TC_MATCH", "b.wav");
  bench.Env.Set("RATEMILL_TC_EXIT_CODE", "3");
  bench.Start();

  QCOMPARE(bench.Calls().size(), std::size_t{3});
  QCOMPARE(test::ReadFile(outB), std::string("earlier output"));
  QVERIFY(test::ReadWavFormat(bench.Sources / "a_48-24.wav").has_value());
  QVERIFY(test::ReadWavFormat(bench.Sources / "c_48-24.wav").has_value());
  QCOMPARE(PaneLines(bench.Console->ErrorMemo),
           (Lines{"Error while processing file " + b, "Command line: " + TBench::CommandLine(b, outB),
                  "No output written to " + outB + ": the converter ended with exit code 3"}));
  // The failed file stays in the list and is named in a warning.
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{b}));
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{2});
  QCOMPARE(bench.Fixture.Boxes.Shown()[1].Kind, TMessageKind::WarningOk);
  QCOMPARE(bench.Fixture.Boxes.Shown()[1].Text, "Diese Dateien wurden nicht konvertiert:\n" + b);
  bench.CheckIdle();
}

// Three converters at once, each writing to both streams with progress
// rewritten in place: every file's lines reach the panes as one block.
void BatchRunTest::threeAtOnceKeepEachFilesBlockWhole() {
  TBench bench;
  bench.Form->SetConcurrentJobs(3);
  std::vector<std::string> sources;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"}) sources.push_back(bench.AddSource(name));
  bench.Env.Set("RATEMILL_TC_SLEEP_MS", "300");
  bench.Env.Set("RATEMILL_TC_PROGRESS_STEPS", "6");
  bench.Env.Set("RATEMILL_TC_STDERR_LINES", "warning one\nhalf\rall done");
  const std::string times = bench.Scratch / "times.txt";
  bench.Env.Set("RATEMILL_TC_TIMES", times);
  bench.Start();

  // They did run side by side.
  std::vector<std::pair<std::int64_t, std::int64_t>> spans;
  std::istringstream in(test::ReadFile(times));
  std::int64_t start, end;
  std::string source;
  while (in >> start >> end >> source) spans.emplace_back(start, end);
  QCOMPARE(spans.size(), sources.size());
  std::sort(spans.begin(), spans.end());
  QVERIFY(spans[1].first < spans[0].second);

  // The output pane: one block per file, its header first, nothing of
  // another file inside.
  std::vector<std::string> infoOrder;
  std::vector<Lines> blocks;
  for (const std::string& line : bench.InfoLinesBeforeSummary()) {
    if (line.rfind("====>  Processing file: ", 0) == 0) {
      infoOrder.push_back(line.substr(24));
      blocks.emplace_back();
    } else {
      QVERIFY2(!blocks.empty(), line.c_str());
      blocks.back().push_back(line);
    }
  }
  QCOMPARE(blocks.size(), sources.size());
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const std::string& file = infoOrder[i];
    const std::string output = file.substr(0, file.size() - 4) + "_48-24.wav";
    const Lines& block = blocks[i];
    QCOMPARE(block.size(), std::size_t{15});
    QCOMPARE(block[2], "Source file : " + file);
    QCOMPARE(block[3], "Destination file : " + output);
    QVERIFY2(block[11].rfind(" 100% processed", 0) == 0, block[11].c_str());
    QCOMPARE(block[13], std::string("done"));
  }
  std::vector<std::string> sorted = infoOrder;
  std::sort(sorted.begin(), sorted.end());
  QCOMPARE(sorted, sources);

  // The error pane: the same files in the same order, each block whole.
  Lines expectedErrors;
  for (const std::string& file : infoOrder) {
    const std::string output = file.substr(0, file.size() - 4) + "_48-24.wav";
    for (const std::string& line :
         Lines{"Error while processing file " + file, "Command line: " + TBench::CommandLine(file, output),
               "warning one", "all done", ""})
      expectedErrors.push_back(line);
  }
  QCOMPARE(PaneLines(bench.Console->ErrorMemo), expectedErrors);
  QVERIFY(bench.ListEntries().empty());
  bench.CheckIdle();
}

void BatchRunTest::overwriteQuestionsComeBeforeAnyConverterStarts() {
  TBench bench;
  bench.Form->SetConcurrentJobs(2);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  const std::string c = bench.AddSource("c.wav");
  bench.AddSource("a.wav");  // listed twice: one output for two entries
  const std::string d = bench.AddSource("d.wav");
  bench.AddSource("a.wav");
  const std::string outA = bench.Sources / "a_48-24.wav";
  const std::string outC = bench.Sources / "c_48-24.wav";
  test::WriteFile(outC, "earlier output");
  std::vector<std::size_t> callsWhenAsked;
  bench.Fixture.Boxes.OnShow = [&](const test::TScriptedMessageBoxes::TShown&) {
    callsWhenAsked.push_back(bench.RawCalls().size());
  };
  bench.Fixture.Boxes.Answer(TMessageAnswer::No);   // c: kept
  bench.Fixture.Boxes.Answer(TMessageAnswer::Yes);  // the second a: after the first
  bench.Fixture.Boxes.Answer(TMessageAnswer::No);   // the third a: not again
  bench.Start();
  bench.Fixture.Boxes.OnShow = nullptr;

  // In list order; the output the first a writes counts as there already.
  const auto question = [](const std::string& output) {
    return "Zieldatei " + output + " bereits vorhanden. Überschreiben?";
  };
  const auto& shown = bench.Fixture.Boxes.Shown();
  QCOMPARE(shown.size(), std::size_t{3});
  QCOMPARE(shown[0].Text, question(outC));
  QCOMPARE(shown[1].Text, question(outA));
  QCOMPARE(shown[2].Text, question(outA));
  QCOMPARE(callsWhenAsked, (std::vector<std::size_t>{0, 0, 0}));
  // Two run at once, so the calls are noted in either order.
  std::vector<Lines> calls = bench.Calls();
  std::sort(calls.begin(), calls.end());
  std::vector<Lines> expected{TBench::Argv(a, outA), TBench::Argv(a, outA),
                              TBench::Argv(b, bench.Sources / "b_48-24.wav"),
                              TBench::Argv(d, bench.Sources / "d_48-24.wav")};
  std::sort(expected.begin(), expected.end());
  QCOMPARE(calls, expected);
  QCOMPARE(test::ReadFile(outC), std::string("earlier output"));
  QVERIFY(bench.ListEntries().empty());
  bench.CheckIdle();
}

QTEST_MAIN(BatchRunTest)
// One run with every outcome a file can have, then a second Start on what is
// left. The converter's rules give each file its own fault.
void BatchRunTest::overviewOfARunWithEveryOutcome() {
  TBench bench;
  const std::string a = bench.AddSource("a.wav");
  const std::string exits = bench.AddSource("exits.wav");
  const std::string killed = bench.AddSource("killed.wav");
  const std::string wrong = bench.AddSource("wrong.wav");
  const std::string folder = bench.Sources / "folder.wav";
  std::filesystem::create_directory(folder);
  bench.Form->FileList->addItem(QString::fromStdString(folder));
  const std::string kept = bench.AddSource("kept.wav");
  test::WriteFile(bench.Sources / "kept_48-24.wav", "earlier output");
  const std::string b = bench.AddSource("b.wav");
  bench.Fixture.Boxes.Answer(TMessageAnswer::No);  // kept's output stays
  bench.Fixture.Boxes.Answer(TMessageAnswer::Ok);  // the failed files
  bench.Env.Set("RATEMILL_TC_RULES",
                "exits.wav:EXIT_CODE=255;killed.wav:SIGNAL=9;wrong.wav:WRITE_RATE=44100;b.wav:STDERR_LINES=careful");
  // The table and the status bar as the second converter starts.
  std::vector<std::string> statesMeanwhile;
  bool progressShown = false;
  std::string countMeanwhile;
  bench.OnProcessing(exits, [&] {
    statesMeanwhile = bench.States();
    progressShown = !bench.Form->RunProgressBar->isHidden() && !bench.Form->RunProgressLabel->isHidden();
    countMeanwhile = bench.Form->RunProgressLabel->text().toStdString();
  });
  bench.Start();

  QCOMPARE(statesMeanwhile,
           (std::vector<std::string>{"fertig", "läuft", "wartet", "wartet", "übersprungen", "übersprungen", "wartet"}));
  QVERIFY(progressShown);
  QCOMPARE(countMeanwhile, std::string("2 von 5"));

  QCOMPARE(bench.States(), (std::vector<std::string>{"fertig", "fehlgeschlagen", "fehlgeschlagen", "fehlgeschlagen",
                                                     "übersprungen", "übersprungen", "fertig"}));
  // A failed file's reason is the one the error pane gives for it.
  const Lines errors = PaneLines(bench.Console->ErrorMemo);
  for (const auto& [row, source] : {std::pair{1, exits}, std::pair{2, killed}, std::pair{3, wrong}}) {
    const std::string note = bench.RowView(row).Note;
    const std::string output = source.substr(0, source.size() - 4) + "_48-24.wav";
    QVERIFY2(std::find(errors.begin(), errors.end(), "No output written to " + output + ": " + note) != errors.end(),
             note.c_str());
  }
  QCOMPARE(bench.RowView(1).Note, std::string("the converter ended with exit code 255"));
  QCOMPARE(bench.RowView(2).Note, std::string(kEndsBySignal ? "the converter was ended by signal 9"
                                                            : "the converter ended with exit code 137"));
  QVERIFY2(bench.RowView(3).Note.find("44100") != std::string::npos, bench.RowView(3).Note.c_str());
  QCOMPARE(bench.RowView(4).Note, std::string("it is a folder, not a file"));
  QCOMPARE(bench.RowView(5).Note, std::string("Zieldatei vorhanden"));
  // What was written, as read back from the file; the wrong rate shows as it is.
  QCOMPARE(bench.RowView(0).Result, std::string("48000 Hz, 24 Bit"));
  QCOMPARE(bench.RowView(3).Result, std::string("44100 Hz, 24 Bit"));
  QCOMPARE(bench.RowView(6).Result, std::string("48000 Hz, 24 Bit"));
  // Done with error output: done all the same, but marked, and the warning says why.
  TRunStatusModel& model = *bench.Console->RunStatus;
  const QModelIndex plainState = model.index(0, TRunStatusModel::colState);
  const QModelIndex warnedState = model.index(6, TRunStatusModel::colState);
  QCOMPARE(bench.RowView(0).Note, std::string());
  QVERIFY(model.data(plainState, Qt::DecorationRole).isNull());
  QVERIFY(!model.data(warnedState, Qt::DecorationRole).isNull());
  QVERIFY2(bench.RowView(6).Note.find("careful") != std::string::npos, bench.RowView(6).Note.c_str());
  QCOMPARE(model.data(warnedState, Qt::AccessibleTextRole).toString().toStdString(),
           "fertig: " + bench.RowView(6).Note);

  QCOMPARE(bench.Summary(), std::string("7 Dateien: 2 konvertiert, 3 fehlgeschlagen, 2 übersprungen"));
  QCOMPARE(PaneLines(bench.Console->InfoMemo).back(), bench.Form->StatusText(0));
  QVERIFY(bench.Form->RunProgressBar->isHidden() && bench.Form->RunProgressLabel->isHidden());
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{2});
  QCOMPARE(bench.Fixture.Boxes.Shown()[1].Kind, TMessageKind::WarningOk);
  QCOMPARE(bench.Fixture.Boxes.Shown()[1].Text,
           "Diese Dateien wurden nicht konvertiert:\n" + exits + "\n" + killed + "\n" + wrong);
  QCOMPARE(bench.Fixture.Boxes.Unanswered(), 0);
  QCOMPARE(bench.ListEntries(), (std::vector<std::string>{exits, killed, wrong}));
  QCOMPARE(bench.SelectedEntries(), (std::vector<std::string>{exits, killed, wrong}));
  bench.CheckIdle();

  // Start again, nothing failing now: exactly the failed files are converted.
  bench.Env.Unset("RATEMILL_TC_RULES");
  const std::size_t callsBefore = bench.Calls().size();
  bench.Start();
  const std::vector<Lines> calls = bench.Calls();
  QCOMPARE(std::vector<Lines>(calls.begin() + static_cast<std::ptrdiff_t>(callsBefore), calls.end()),
           (std::vector<Lines>{TBench::Argv(exits, bench.Sources / "exits_48-24.wav"),
                               TBench::Argv(killed, bench.Sources / "killed_48-24.wav"),
                               TBench::Argv(wrong, bench.Sources / "wrong_48-24.wav")}));
  QCOMPARE(bench.States(), (std::vector<std::string>{"fertig", "fertig", "fertig"}));
  QVERIFY(bench.ListEntries().empty());
  QCOMPARE(bench.Summary(), std::string("3 Dateien: 3 konvertiert"));
  QCOMPARE(bench.Fixture.Boxes.Shown().size(), std::size_t{2});
}

void BatchRunTest::failedFilesBoxNamesTheFirstFive_data() {
  QTest::addColumn<int>("failed");
  QTest::addColumn<QString>("expected");
  QTest::newRow("one") << 1 << "Nicht:\nf1";
  QTest::newRow("five, all named") << 5 << "Nicht:\nf1\nf2\nf3\nf4\nf5";
  QTest::newRow("six, one counted") << 6 << "Nicht:\nf1\nf2\nf3\nf4\nf5\n… und 1 weitere";
  QTest::newRow("twelve") << 12 << "Nicht:\nf1\nf2\nf3\nf4\nf5\n… und 7 weitere";
}

void BatchRunTest::failedFilesBoxNamesTheFirstFive() {
  QFETCH(int, failed);
  QFETCH(QString, expected);
  std::vector<std::string> files;
  for (int i = 1; i <= failed; ++i) files.push_back("f" + std::to_string(i));
  QCOMPARE(FailedFilesText("Nicht:", "… und %1 weitere", files), expected.toStdString());
}

// A slow conversion: its row's percentage rises while it runs, and once the
// run's pace is known the status bar shows a time left that falls.
void BatchRunTest::progressRisesAndTheTimeLeftFalls() {
  TBench bench;
  bench.Form->CheckTwoPass->setChecked(true);
  const std::string a = bench.AddSource("a.wav");
  const std::string b = bench.AddSource("b.wav");
  bench.Env.Set("RATEMILL_TC_SLEEP_MS", "3500");
  bench.Env.Set("RATEMILL_TC_PROGRESS_STEPS", "35");
  std::vector<int> percents;
  std::vector<int> bar;
  std::vector<int> secondsLeft;
  std::string label;
  QTimer sampler;
  sampler.setInterval(100);
  QObject::connect(&sampler, &QTimer::timeout, [&] {
    if (bench.Console->RunStatus->Rows() < 2) return;
    const TRunStatusModel::TRow& row = bench.Console->RunStatus->Row(1);
    if (row.State == TFileState::Running) percents.push_back(row.Percent);
    bar.push_back(bench.Form->RunProgressBar->value());
    label = bench.Form->RunProgressLabel->text().toStdString();
    const std::size_t at = label.find(", noch ");
    if (at == std::string::npos) return;
    const std::string clock = label.substr(at + 7);
    const std::size_t colon = clock.find(':');
    secondsLeft.push_back(std::stoi(clock.substr(0, colon)) * 60 + std::stoi(clock.substr(colon + 1)));
  });
  sampler.start();
  bench.Start();
  sampler.stop();

  // Both passes of b were seen, in order, the second one filling the upper half.
  QVERIFY(percents.size() >= 5);
  QVERIFY(std::is_sorted(percents.begin(), percents.end()));
  QVERIFY2(percents.front() < 50 && percents.back() > 50, std::to_string(percents.back()).c_str());
  QVERIFY(std::is_sorted(bar.begin(), bar.end()));
  QVERIFY(bar.back() > TMainForm::kRunProgressSteps / 2);
  // The time left shows once the run is a few seconds old, and falls.
  QVERIFY(secondsLeft.size() >= 2);
  QVERIFY2(secondsLeft.back() < secondsLeft.front(), label.c_str());
  QVERIFY(label.rfind("2 von 2, noch ", 0) == 0);
  QCOMPARE(bench.States(), (std::vector<std::string>{"fertig", "fertig"}));
  QVERIFY(bench.Form->RunProgressBar->isHidden() && bench.Form->RunProgressLabel->isHidden());
}

namespace {

// The text of the pane's first visible line.
std::string TopLine(QPlainTextEdit* pane) {
  return WithOutputNames(pane->cursorForPosition(QPoint(4, 4)).block().text().toStdString());
}

}  // namespace

void BatchRunTest::selectingARowShowsTheFilesBlock() {
  TBench bench;
  std::vector<std::string> sources;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav", "f.wav"})
    sources.push_back(bench.AddSource(name));
  const std::string errorLines = "one\ntwo\nthree\nfour\nfive\nsix\nseven\neight\nnine\nten";
  bench.Env.Set("RATEMILL_TC_STDERR_LINES", errorLines);
  // b has nothing on its error output.
  bench.OnProcessing(sources[1], [&] { bench.Env.Unset("RATEMILL_TC_STDERR_LINES"); });
  bench.OnProcessing(sources[2], [&] { bench.Env.Set("RATEMILL_TC_STDERR_LINES", errorLines); });
  bench.Console->show();
  bench.Start();
  QVERIFY(QTest::qWaitForWindowExposed(bench.Console));

  QTableView& view = *bench.Console->RunStatusView;
  for (std::size_t row : {std::size_t{2}, std::size_t{0}, std::size_t{4}}) {
    view.selectRow(static_cast<int>(row));
    QCOMPARE(TopLine(bench.Console->InfoMemo), "====>  Processing file: " + sources[row]);
    QCOMPARE(TopLine(bench.Console->ErrorMemo), "Error while processing file " + sources[row]);
  }
  // A file with no error lines leaves the error pane where it is.
  view.selectRow(1);
  QCOMPARE(TopLine(bench.Console->InfoMemo), "====>  Processing file: " + sources[1]);
  QCOMPARE(TopLine(bench.Console->ErrorMemo), "Error while processing file " + sources[4]);
}

void BatchRunTest::selectingARowWhoseBlockWasDroppedShowsTheTop() {
  TBench bench;
  // A pane that keeps 40 lines: of five files of 16 lines each, the first
  // three blocks are gone by the end.
  bench.Console = new TConsoleOutputForm(bench.Form.get(), 40);
  bench.Form->SetConsoleOutputForm(bench.Console);
  std::vector<std::string> sources;
  for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav", "e.wav"}) sources.push_back(bench.AddSource(name));
  bench.Console->show();
  bench.Start();
  QVERIFY(QTest::qWaitForWindowExposed(bench.Console));

  bench.Console->RunStatusView->selectRow(3);
  QCOMPARE(TopLine(bench.Console->InfoMemo), "====>  Processing file: " + sources[3]);
  bench.Console->RunStatusView->selectRow(0);
  const std::string top = TopLine(bench.Console->InfoMemo);
  QVERIFY2(top.rfind("[... ", 0) == 0 && top.find("earlier lines dropped") != std::string::npos, top.c_str());
}

#include "BatchRunTest.moc"
