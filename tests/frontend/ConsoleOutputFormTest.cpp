// The console output window: its look, adding and replacing lines, what a
// pane shows of a long line and how many lines it keeps, changes shown once
// per frame, following new lines only from the bottom, and closing. Last, the
// main window's runner, which must not keep a copy of the lines.
#include <QComboBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <cstdlib>
#include <filesystem>

#include "GuiFixture.h"
#include "WavFixture.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/MainForm.h"
#include "frontend/RunStatusModel.h"
#include "frontend/WindowGeometry.h"

using namespace ratemill;

namespace {

const QString kCut = " [...]";

// The lines the document holds now, changes not shown yet left out.
QStringList DocumentLines(const QPlainTextEdit* pane) {
  QStringList lines;
  for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next()) lines << block.text();
  return lines;
}

// The lines of a pane once every change is shown.
QStringList PaneLines(TConsoleOutputForm& form, const QPlainTextEdit* pane) {
  form.Flush();
  return DocumentLines(pane);
}

QString Dropped(int count) { return QString("[... %1 earlier lines dropped ...]").arg(count); }

// The panes by their operations, so that each case runs on both.
struct TPaneOps {
  QPlainTextEdit* TConsoleOutputForm::*Pane;
  QPlainTextEdit* TConsoleOutputForm::*Other;
  void (TConsoleOutputForm::*Add)(const std::string&);
  void (TConsoleOutputForm::*Replace)(const std::string&);
};

const TPaneOps kPanes[] = {{&TConsoleOutputForm::InfoMemo, &TConsoleOutputForm::ErrorMemo,
                            &TConsoleOutputForm::AddInfoLine, &TConsoleOutputForm::ReplaceInfoLine},
                           {&TConsoleOutputForm::ErrorMemo, &TConsoleOutputForm::InfoMemo,
                            &TConsoleOutputForm::AddErrorLine, &TConsoleOutputForm::ReplaceErrorLine}};

// Operations: "+text" adds a line, "=text" replaces the last one, "|" shows
// what is pending (as a frame would).
void Apply(TConsoleOutputForm& form, const TPaneOps& ops, const QStringList& operations) {
  for (const QString& operation : operations) {
    if (operation == "|") {
      form.Flush();
      continue;
    }
    const std::string text = operation.mid(1).toStdString();
    (form.*(operation.startsWith('+') ? ops.Add : ops.Replace))(text);
  }
}

}  // namespace

class ConsoleOutputFormTest : public QObject {
  Q_OBJECT

 private slots:
  void windowAndPanes();
  void addingAndReplacingLines_data();
  void addingAndReplacingLines();
  void clearEmptiesBothPanes();
  void longLinesAreCutWithAMark_data();
  void longLinesAreCutWithAMark();
  void aLineGrowingPieceByPieceStaysOneCutLine();
  void changesAreShownOncePerFrameInOrder();
  void linesAddedByAWatcherAreKept();
  void aHiddenWindowLosesNothing();
  void lineBoundAndItsMark_data();
  void lineBoundAndItsMark();
  void theDefaultBoundIsAHundredThousandLines();
  void followsNewLinesOnlyFromTheBottom();
  void closingOnlyHides();
  void mainWindowRunnerKeepsNoLines();
  void placedBesideTheMainWindowWhereThereIsRoom_data();
  void placedBesideTheMainWindowWhereThereIsRoom();
  void statusTableAnnouncesChangedRowsOncePerFrame();
  void statusTableShowsWhatARowHolds();
};

void ConsoleOutputFormTest::windowAndPanes() {
  TConsoleOutputForm form;
  QCOMPARE(form.windowTitle(), QString("Ratemill  Console Output"));
  // The panes as they always were, with the status table and its splitter
  // handle above them.
  QCOMPARE(form.size(), QSize(761, 429 + 150 + 3));
  QCOMPARE(form.pos(), QGuiApplication::primaryScreen()->geometry().topLeft());
  QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
  QCOMPARE(form.font().family(), QString("Tahoma"));
  QVERIFY(form.isHidden());

  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCOMPARE(form.PaneSplitter->orientation(), Qt::Vertical);
  QCOMPARE(form.PaneSplitter->handleWidth(), 3);
  QCOMPARE(form.PaneSplitter->count(), 3);
  QCOMPARE(form.PaneSplitter->widget(0), form.RunStatusView);
  QCOMPARE(form.PaneSplitter->widget(1), form.InfoMemo);
  QCOMPARE(form.PaneSplitter->widget(2), form.ErrorMemo);
  QCOMPARE(form.PaneSplitter->sizes(), (QList<int>{150, 270, 156}));
  QCOMPARE(form.RunStatusView->model(), form.RunStatus);

  const struct {
    QPlainTextEdit* Pane;
    QColor Background;
  } panes[] = {{form.InfoMemo, QColor(128, 255, 128)}, {form.ErrorMemo, QColor(255, 128, 128)}};
  for (const auto& p : panes) {
    QVERIFY(p.Pane->isReadOnly());
    QCOMPARE(p.Pane->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    QCOMPARE(p.Pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(p.Pane->palette().color(QPalette::Base), p.Background);
    QCOMPARE(p.Pane->palette().color(QPalette::Text), form.palette().color(QPalette::WindowText));
    QCOMPARE(p.Pane->font().family(), QString("Courier New"));
    QCOMPARE(p.Pane->font().pixelSize(), 11);
    // Rewritten lines must not pile up as undo steps.
    QVERIFY(!p.Pane->document()->isUndoRedoEnabled());
  }

  // The table and the lower pane keep their heights when the window grows.
  form.resize(761, 782);
  QTRY_COMPARE(form.PaneSplitter->sizes(), (QList<int>{150, 470, 156}));

  // Built without the table, the window is what it was before there was one.
  TConsoleOutputForm plain(nullptr, TConsoleOutputForm::kDefaultMaxLines, false);
  QCOMPARE(plain.size(), QSize(761, 429));
  QVERIFY(plain.RunStatus == nullptr && plain.RunStatusView == nullptr);
  QCOMPARE(plain.PaneSplitter->count(), 2);
  QCOMPARE(plain.PaneSplitter->widget(0), plain.InfoMemo);
  QCOMPARE(plain.PaneSplitter->widget(1), plain.ErrorMemo);
}

void ConsoleOutputFormTest::addingAndReplacingLines_data() {
  // Operations as `Apply` takes them.
  QTest::addColumn<QStringList>("operations");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("lines in order") << QStringList{"+a", "+b", "+c"} << QStringList{"a", "b", "c"};
  QTest::newRow("replacing changes only the last line")
      << QStringList{"+a", "+10%", "=20%", "=100%"} << QStringList{"a", "100%"};
  QTest::newRow("replacing in an empty pane adds the line") << QStringList{"=x", "+y"} << QStringList{"x", "y"};
  QTest::newRow("an empty first line stays a line") << QStringList{"+", "+x"} << QStringList{"", "x"};
  QTest::newRow("an empty last line replaced by text") << QStringList{"+a", "+", "=b"} << QStringList{"a", "b"};
  QTest::newRow("a line replaced by nothing stays as an empty line")
      << QStringList{"+a", "+b", "="} << QStringList{"a", ""};
  QTest::newRow("a longer line replaced by a shorter one")
      << QStringList{"+ 50% processed, ETA =   3sec", "= 60% processed"} << QStringList{" 60% processed"};
  // A path may hold a line feed, and UTF-8 output may hold U+2029: neither
  // may split the line, or rewriting it would replace only its tail.
  QTest::newRow("block breaks inside a line show as blanks")
      << QStringList{"+x", QString::fromUtf8("+a\nb\u2029c\rd"), "=e\nf"} << QStringList{"x", "e f"};
  // What is shown already and what is still pending make one sequence.
  QTest::newRow("a shown line replaced after the frame")
      << QStringList{"+a", "+10%", "|", "=20%", "|", "=30%"} << QStringList{"a", "30%"};
  QTest::newRow("an empty shown line replaced and followed by more")
      << QStringList{"+a", "+", "|", "=b", "+c", "=d"} << QStringList{"a", "b", "d"};
  QTest::newRow("replacing a pane emptied before the frame adds the line")
      << QStringList{"+", "|", "=", "=x"} << QStringList{"x"};
  QTest::newRow("8-bit text as the converter wrote it") << QStringList{QString::fromUtf8("+Datei: Überschrift.wav")}
                                                        << QStringList{QString::fromUtf8("Datei: Überschrift.wav")};
}

void ConsoleOutputFormTest::addingAndReplacingLines() {
  QFETCH(QStringList, operations);
  QFETCH(QStringList, expected);
  TConsoleOutputForm form;
  // Each pane on its own: operations on one never reach the other.
  for (const TPaneOps& ops : kPanes) {
    form.Clear();
    Apply(form, ops, operations);
    QCOMPARE(PaneLines(form, form.*ops.Pane), expected);
    QCOMPARE((form.*ops.Other)->toPlainText(), QString());
  }
}

void ConsoleOutputFormTest::clearEmptiesBothPanes() {
  TConsoleOutputForm form;
  form.AddInfoLine("info");
  form.AddErrorLine("error");
  form.Flush();
  // Shown and pending lines alike.
  form.AddInfoLine("pending");
  form.Clear();
  QCOMPARE(PaneLines(form, form.InfoMemo), QStringList{""});
  QCOMPARE(PaneLines(form, form.ErrorMemo), QStringList{""});
  // After emptying, the first line is the first line again, with nothing
  // above it; an empty one included.
  form.AddInfoLine("");
  form.AddInfoLine("next");
  QCOMPARE(PaneLines(form, form.InfoMemo), (QStringList{"", "next"}));
  form.Clear();
  form.ReplaceErrorLine("only");
  QCOMPARE(PaneLines(form, form.ErrorMemo), QStringList{"only"});
  // A pending line does not come back after the next frame either.
  form.AddErrorLine("gone");
  form.Clear();
  QTest::qWait(50);
  QCOMPARE(DocumentLines(form.ErrorMemo), QStringList{""});
}

void ConsoleOutputFormTest::longLinesAreCutWithAMark_data() {
  const int cap = TConsoleOutputForm::kMaxLineLength;
  const QString full(cap, 'x');
  QTest::addColumn<QStringList>("operations");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("a line of the full length is shown whole") << QStringList{"+" + full} << QStringList{full};
  QTest::newRow("one character more is cut") << QStringList{"+" + full + "y"} << QStringList{full + kCut};
  QTest::newRow("a megabyte line shows as much")
      << QStringList{"+" + QString(1 << 20, 'x')} << QStringList{full + kCut};
  // Characters, not bytes: two bytes each in the converter's text.
  QTest::newRow("multi-byte characters count as one")
      << QStringList{"+" + QString(cap + 10, QChar(0xE4))} << QStringList{QString(cap, QChar(0xE4)) + kCut};
  QTest::newRow("a character outside the basic plane is not cut in two")
      << QStringList{"+" + QString(cap - 1, 'a') + QString::fromUtf8("\U0001F600") + "b"}
      << QStringList{QString(cap - 1, 'a') + kCut};
  QTest::newRow("a cut line replaced by a short one shows it whole")
      << QStringList{"+a", "+" + full + "y", "|", "=short"} << QStringList{"a", "short"};
  QTest::newRow("a short line replaced by a long one is cut")
      << QStringList{"+a", "+short", "|", "=" + full + "y"} << QStringList{"a", full + kCut};
  QTest::newRow("a cut line replaced by another cut line")
      << QStringList{"+" + QString(cap + 1, 'x'), "|", "=" + QString(cap + 1, 'z')}
      << QStringList{QString(cap, 'z') + kCut};
  QTest::newRow("lines after a cut one are whole")
      << QStringList{"+" + full + "y", "+next"} << QStringList{full + kCut, "next"};
}

void ConsoleOutputFormTest::longLinesAreCutWithAMark() {
  QFETCH(QStringList, operations);
  QFETCH(QStringList, expected);
  TConsoleOutputForm form;
  for (const TPaneOps& ops : kPanes) {
    form.Clear();
    Apply(form, ops, operations);
    QCOMPARE(PaneLines(form, form.*ops.Pane), expected);
  }
}

void ConsoleOutputFormTest::aLineGrowingPieceByPieceStaysOneCutLine() {
  // As the reader delivers a long line without line end: the line so far
  // after every piece, with frames in between.
  TConsoleOutputForm form;
  form.AddInfoLine("before");
  std::string line;
  for (int piece = 0; piece < 40; ++piece) {
    line.append(1024, static_cast<char>('a' + piece % 26));
    if (piece == 0)
      form.AddInfoLine(line);
    else
      form.ReplaceInfoLine(line);
    if (piece % 3 == 0) form.Flush();
  }
  const QString shown = QString::fromStdString(line.substr(0, TConsoleOutputForm::kMaxLineLength)) + kCut;
  QCOMPARE(PaneLines(form, form.InfoMemo), (QStringList{"before", shown}));
  // Its end arrives: the next line starts below it.
  form.AddInfoLine("after");
  QCOMPARE(PaneLines(form, form.InfoMemo), (QStringList{"before", shown, "after"}));
}

void ConsoleOutputFormTest::changesAreShownOncePerFrameInOrder() {
  TConsoleOutputForm form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  int changes = 0;
  connect(form.InfoMemo, &QPlainTextEdit::textChanged, &form, [&] { ++changes; });

  QStringList expected;
  for (int file = 0; file < 50; ++file) {
    const std::string name = "file " + std::to_string(file);
    form.AddInfoLine(name);
    for (int percent = 0; percent <= 100; percent += 5)
      form.ReplaceInfoLine(name + ": " + std::to_string(percent) + "%");
    form.AddInfoLine(name + " done");
    expected << QString::fromStdString(name + ": 100%") << QString::fromStdString(name + " done");
  }
  // Nothing is shown before the frame.
  QCOMPARE(DocumentLines(form.InfoMemo), QStringList{""});
  QCOMPARE(changes, 0);

  // The frame comes by itself and brings every line, in order, as one change.
  QTRY_COMPARE(DocumentLines(form.InfoMemo), expected);
  QCOMPARE(changes, 1);

  // The next frame brings only what came since.
  form.ReplaceInfoLine("file 49 done, rewritten");
  form.AddInfoLine("end");
  expected.last() = "file 49 done, rewritten";
  expected << "end";
  QTRY_COMPARE(changes, 2);
  QCOMPARE(DocumentLines(form.InfoMemo), expected);
}

void ConsoleOutputFormTest::linesAddedByAWatcherAreKept() {
  // Whoever hears of a change may write to the pane at once, and even ask
  // for it to be shown; what it writes comes with the next frame, after what
  // is being shown, and is not lost with it.
  TConsoleOutputForm form(nullptr, 3);
  connect(form.ErrorMemo, &QPlainTextEdit::textChanged, &form, [&] {
    if (form.ErrorMemo->document()->lastBlock().text() != "header") return;
    form.AddErrorLine("written on hearing it");
    form.Flush();
  });
  form.AddErrorLine("zeroth");
  form.AddErrorLine("first");
  form.Flush();
  form.AddErrorLine("header");
  form.Flush();
  QCOMPARE(DocumentLines(form.ErrorMemo), (QStringList{"zeroth", "first", "header"}));
  QTRY_COMPARE(DocumentLines(form.ErrorMemo), (QStringList{Dropped(1), "first", "header", "written on hearing it"}));
}

void ConsoleOutputFormTest::aHiddenWindowLosesNothing() {
  TConsoleOutputForm form;
  QVERIFY(form.isHidden());
  QStringList info, errors;
  for (int i = 0; i < 300; ++i) {
    form.AddInfoLine("info " + std::to_string(i));
    info << QString("info %1").arg(i);
    if (i % 7 == 0) {
      form.AddErrorLine("error " + std::to_string(i));
      form.ReplaceErrorLine("error " + std::to_string(i) + " rewritten");
      errors << QString("error %1 rewritten").arg(i);
    }
    if (i % 100 == 0) QCoreApplication::processEvents();
  }
  QTRY_COMPARE(DocumentLines(form.InfoMemo), info);
  QTRY_COMPARE(DocumentLines(form.ErrorMemo), errors);
  QVERIFY(form.isHidden());
}

void ConsoleOutputFormTest::lineBoundAndItsMark_data() {
  // The panes keep 5 lines here. Operations as `Apply` takes them.
  QTest::addColumn<QStringList>("operations");
  QTest::addColumn<QStringList>("expected");
  QTest::newRow("up to the bound, no mark")
      << QStringList{"+1", "+2", "+3", "+4", "+5"} << QStringList{"1", "2", "3", "4", "5"};
  QTest::newRow("one more, in the same frame")
      << QStringList{"+1", "+2", "+3", "+4", "+5", "+6"} << QStringList{Dropped(1), "2", "3", "4", "5", "6"};
  QTest::newRow("one more, in a frame of its own")
      << QStringList{"+1", "+2", "+3", "+4", "+5", "|", "+6"} << QStringList{Dropped(1), "2", "3", "4", "5", "6"};
  QTest::newRow("the mark counts on over frames")
      << QStringList{"+1", "+2", "+3", "+4", "+5", "+6", "|", "+7", "|", "+8", "+9"}
      << QStringList{Dropped(4), "5", "6", "7", "8", "9"};
  QTest::newRow("more new lines in one frame than the pane keeps")
      << QStringList{"+1", "+2", "|", "+3", "+4", "+5", "+6", "+7", "+8", "+9"}
      << QStringList{Dropped(4), "5", "6", "7", "8", "9"};
  QTest::newRow("the same with the shown last line replaced first")
      << QStringList{"+1", "+2", "|", "=2b", "+3", "+4", "+5", "+6", "+7", "+8"}
      << QStringList{Dropped(3), "4", "5", "6", "7", "8"};
  QTest::newRow("replacing the last line at the bound")
      << QStringList{"+1", "+2", "+3", "+4", "+5", "+6", "|", "=6b", "|", "=6c"}
      << QStringList{Dropped(1), "2", "3", "4", "5", "6c"};
  QTest::newRow("an empty last line at the bound is replaced, not added")
      << QStringList{"+1", "+2", "+3", "+4", "+5", "+", "|", "=x"} << QStringList{Dropped(1), "2", "3", "4", "5", "x"};
}

void ConsoleOutputFormTest::lineBoundAndItsMark() {
  QFETCH(QStringList, operations);
  QFETCH(QStringList, expected);
  TConsoleOutputForm form(nullptr, 5);
  for (const TPaneOps& ops : kPanes) {
    form.Clear();
    Apply(form, ops, operations);
    QCOMPARE(PaneLines(form, form.*ops.Pane), expected);
    // The next run starts without the mark and counts anew.
    form.Clear();
    Apply(form, ops, {"+a", "+b", "+c", "+d", "+e", "+f"});
    QCOMPARE(PaneLines(form, form.*ops.Pane), (QStringList{Dropped(1), "b", "c", "d", "e", "f"}));
  }
}

void ConsoleOutputFormTest::theDefaultBoundIsAHundredThousandLines() {
  TConsoleOutputForm form;
  constexpr int kLines = 100003;
  for (int i = 1; i <= kLines; ++i) {
    form.AddErrorLine(std::to_string(i));
    if (i % 10000 == 0) form.Flush();
  }
  form.Flush();
  const QTextDocument* document = form.ErrorMemo->document();
  QCOMPARE(document->blockCount(), 100001);
  QCOMPARE(document->firstBlock().text(), Dropped(3));
  QCOMPARE(document->firstBlock().next().text(), QString("4"));
  QCOMPARE(document->lastBlock().text(), QString::number(kLines));
}

void ConsoleOutputFormTest::followsNewLinesOnlyFromTheBottom() {
  TConsoleOutputForm form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QScrollBar* bar = form.InfoMemo->verticalScrollBar();
  for (int i = 0; i < 200; ++i) form.AddInfoLine("line " + std::to_string(i));
  form.Flush();
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());

  // Adding and replacing keep a pane at the bottom at the bottom.
  form.AddInfoLine("  0% processed");
  form.Flush();
  QCOMPARE(bar->value(), bar->maximum());
  form.ReplaceInfoLine(" 50% processed");
  form.Flush();
  QCOMPARE(bar->value(), bar->maximum());

  // A user reading further up is left there.
  bar->setValue(10);
  form.AddInfoLine("more");
  form.ReplaceInfoLine("more, rewritten");
  form.Flush();
  QCOMPARE(bar->value(), 10);
}

void ConsoleOutputFormTest::closingOnlyHides() {
  QWidget owner;
  auto* form = new TConsoleOutputForm(&owner);
  QPointer<TConsoleOutputForm> alive(form);
  form->AddInfoLine("kept");
  form->show();
  QVERIFY(QTest::qWaitForWindowExposed(form));
  form->close();
  QVERIFY(!form->isVisible());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QVERIFY(!alive.isNull());
  QCOMPARE(PaneLines(*form, form->InfoMemo), QStringList{"kept"});
  form->show();
  QVERIFY(form->isVisible());
}

void ConsoleOutputFormTest::mainWindowRunnerKeepsNoLines() {
  test::TGuiFixture fixture;
  std::filesystem::copy_file(RATEMILL_TEST_CONVERTER, fixture.AppDir() + "ssrc.exe");
  const auto form = fixture.CreateMainForm();
  auto* console = new TConsoleOutputForm(form.get());
  form->SetConsoleOutputForm(console);
  form->ComboSampleRate->setCurrentIndex(3);
  form->ComboBits->setCurrentIndex(3);
  test::TTempDir sources;
  const std::string source = sources / "a.wav";
  test::WriteWav(source, 44100, 16, 2, 441);
  qputenv("RATEMILL_TC_STDERR_LINES", "a warning");

  for (int run = 1; run <= 2; ++run) {
    form->FileList->addItem(QString::fromStdString(source));
    if (run == 2) fixture.Boxes.Answer(platform::TMessageAnswer::Yes);  // the output of the first run
    form->StartButton->click();
    QVERIFY(form->FileList->count() == 0);
    // The panes show the run's lines, the runner holds none of them.
    QVERIFY(PaneLines(*console, console->InfoMemo).contains(QString::fromStdString("Source file : " + source)));
    QVERIFY(PaneLines(*console, console->ErrorMemo).contains("a warning"));
    QVERIFY(form->ProcessRunner.OutputLines().empty());
    QVERIFY(form->ProcessRunner.ErrorLines().empty());
  }
  qunsetenv("RATEMILL_TC_STDERR_LINES");
}

void ConsoleOutputFormTest::placedBesideTheMainWindowWhereThereIsRoom_data() {
  QTest::addColumn<QRect>("mainWindow");
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QRect>("expected");  // empty: left where it is
  const QSize size(761, 582);
  const QRect wide(0, 0, 2560, 1400);
  QTest::newRow("right of it") << QRect(100, 200, 480, 650) << wide << QRect(QPoint(580, 200), size);
  QTest::newRow("left of it when the right is short")
      << QRect(1900, 200, 480, 650) << wide << QRect(QPoint(1139, 200), size);
  QTest::newRow("held up by the screen's bottom")
      << QRect(100, 1000, 480, 300) << wide << QRect(QPoint(580, 1400 - 582), size);
  QTest::newRow("an area that does not begin at 0")
      << QRect(2000, 100, 480, 650) << QRect(1920, 30, 1920, 1050) << QRect(QPoint(2480, 100), size);
  // Centred on a full-HD screen, neither side holds the whole width: the
  // right one, as wide, takes a narrower window.
  QTest::newRow("narrower on the side with room")
      << QRect(724, 200, 472, 650) << QRect(0, 0, 1920, 1040) << QRect(1196, 200, 724, 582);
  QTest::newRow("narrower on the left") << QRect(700, 0, 472, 650) << QRect(0, 0, 1280, 1024) << QRect(0, 0, 700, 582);
  QTest::newRow("no room on either side") << QRect(404, 200, 472, 650) << QRect(0, 0, 1280, 1024) << QRect();
}

void ConsoleOutputFormTest::placedBesideTheMainWindowWhereThereIsRoom() {
  QFETCH(QRect, mainWindow);
  QFETCH(QRect, screen);
  QFETCH(QRect, expected);
  const std::optional<QRect> placed = PlaceBeside(mainWindow, QSize(761, 582), 560, screen);
  QCOMPARE(placed.has_value(), !expected.isNull());
  if (!placed) return;
  QCOMPARE(*placed, expected);
  QVERIFY(screen.contains(*placed));
  QVERIFY(!placed->intersects(mainWindow));
}

// A run of thousands of files changes rows far more often than a screen
// shows them: the views hear of the changed rows once per frame, as ranges,
// and the whole model is reset only when a run begins.
void ConsoleOutputFormTest::statusTableAnnouncesChangedRowsOncePerFrame() {
  TRunStatusModel model;
  QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
  QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
  std::vector<std::string> paths;
  for (int i = 0; i < 5000; ++i) paths.push_back("/music/f" + std::to_string(i) + ".wav");
  model.Reset(paths);
  QCOMPARE(resets.count(), 1);
  QCOMPARE(model.rowCount(), 5000);

  const auto now = TRunStatusModel::Clock::now();
  for (std::size_t i = 0; i < paths.size(); ++i) {
    model.SetRunning(i, now);
    for (int percent = 10; percent <= 100; percent += 10) model.SetPercent(i, percent);
    model.SetEnded(i, TFileState::Done, "", false, TWavFormat{48000, 24}, now);
  }
  QCOMPARE(changes.count(), 0);
  // At the next frame, without being asked.
  QTRY_COMPARE(changes.count(), 1);
  QCOMPARE(changes.at(0).at(0).toModelIndex(), model.index(0, 0));
  QCOMPARE(changes.at(0).at(1).toModelIndex(), model.index(4999, TRunStatusModel::kColumnCount - 1));

  changes.clear();
  for (std::size_t row : {21u, 10u, 20u, 10u}) model.SetEnded(row, TFileState::Failed, "why", false, {}, now);
  model.Flush();
  QCOMPARE(changes.count(), 2);
  QCOMPARE(changes.at(0).at(0).toModelIndex().row(), 10);
  QCOMPARE(changes.at(0).at(1).toModelIndex().row(), 10);
  QCOMPARE(changes.at(1).at(0).toModelIndex().row(), 20);
  QCOMPARE(changes.at(1).at(1).toModelIndex().row(), 21);
  model.Flush();
  QCOMPARE(changes.count(), 2);
  QCOMPARE(resets.count(), 1);
}

void ConsoleOutputFormTest::statusTableShowsWhatARowHolds() {
  TRunStatusModel model;
  // A name whose bytes are no UTF-8: shown as well as it goes, kept exactly.
  const std::string odd = "/music/take\xff 1.wav";
  model.Reset({odd, "/music/b.wav", "/music/c.wav"});
  auto cell = [&](int row, int column, int role = Qt::DisplayRole) {
    return model.data(model.index(row, column), role).toString();
  };
  QCOMPARE(model.Row(0).Path, odd);
  QCOMPARE(cell(0, TRunStatusModel::colFile), QString("take\uFFFD 1.wav"));
  QCOMPARE(cell(0, TRunStatusModel::colFile, Qt::ToolTipRole), QString("/music/take\uFFFD 1.wav"));
  QCOMPARE(cell(0, TRunStatusModel::colState), QString("wartet"));

  const auto start = TRunStatusModel::Clock::now() - std::chrono::seconds(75);
  model.SetRunning(0, start);
  model.SetPercent(0, 42);
  QCOMPARE(cell(0, TRunStatusModel::colState), QString("läuft"));
  QCOMPARE(cell(0, TRunStatusModel::colProgress), QString("42%"));
  QVERIFY(cell(0, TRunStatusModel::colTime).startsWith("1:1"));
  model.SetEnded(0, TFileState::Done, "the name says 8 bits", true, TWavFormat{44100, 16},
                 start + std::chrono::seconds(133));
  QCOMPARE(cell(0, TRunStatusModel::colState), QString("fertig"));
  QCOMPARE(cell(0, TRunStatusModel::colProgress), QString());
  QCOMPARE(cell(0, TRunStatusModel::colTime), QString("2:13"));
  QCOMPARE(cell(0, TRunStatusModel::colResult), QString("44100 Hz, 16 Bit"));
  QCOMPARE(cell(0, TRunStatusModel::colNote), QString("the name says 8 bits"));
  QVERIFY(!model.data(model.index(0, TRunStatusModel::colState), Qt::DecorationRole).isNull());

  // A file that never ran has no time; a skipped one no mark.
  model.SetEnded(1, TFileState::Skipped, "Zieldatei vorhanden", false, std::nullopt, start);
  QCOMPARE(cell(1, TRunStatusModel::colState), QString("übersprungen"));
  QCOMPARE(cell(1, TRunStatusModel::colTime), QString());
  QVERIFY(model.data(model.index(1, TRunStatusModel::colState), Qt::DecorationRole).isNull());

  // Translated captions reach the header and the rows.
  TRunStatusTexts texts;
  texts.Columns[TRunStatusModel::colState] = "State";
  texts.States[static_cast<std::size_t>(TFileState::Waiting)] = "waiting";
  texts.Format = "%1 Hz, %2 bits";
  model.SetTexts(texts);
  QCOMPARE(model.headerData(TRunStatusModel::colState, Qt::Horizontal).toString(), QString("State"));
  QCOMPARE(cell(2, TRunStatusModel::colState), QString("waiting"));
  QCOMPARE(cell(0, TRunStatusModel::colResult), QString("44100 Hz, 16 bits"));
}

QTEST_MAIN(ConsoleOutputFormTest)
#include "ConsoleOutputFormTest.moc"
