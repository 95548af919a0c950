// The console output window: its look, adding and replacing lines, following
// new lines only from the bottom, and closing.
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>

#include "frontend/ConsoleOutputForm.h"

using namespace ratemill;

namespace {

QStringList PaneLines(const QPlainTextEdit* pane) {
  QStringList lines;
  for (QTextBlock block = pane->document()->begin(); block.isValid(); block = block.next()) lines << block.text();
  return lines;
}

}  // namespace

class ConsoleOutputFormTest : public QObject {
  Q_OBJECT

 private slots:
  void windowAndPanes();
  void addingAndReplacingLines_data();
  void addingAndReplacingLines();
  void clearEmptiesBothPanes();
  void followsNewLinesOnlyFromTheBottom();
  void closingOnlyHides();
};

void ConsoleOutputFormTest::windowAndPanes() {
  TConsoleOutputForm form;
  QCOMPARE(form.windowTitle(), QString("Ratemill  Console Output"));
  QCOMPARE(form.size(), QSize(761, 429));
  QCOMPARE(form.pos(), QGuiApplication::primaryScreen()->geometry().topLeft());
  QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
  QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
  QCOMPARE(form.font().family(), QString("Tahoma"));
  QVERIFY(form.isHidden());

  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QCOMPARE(form.PaneSplitter->orientation(), Qt::Vertical);
  QCOMPARE(form.PaneSplitter->handleWidth(), 3);
  QCOMPARE(form.PaneSplitter->widget(0), form.InfoMemo);
  QCOMPARE(form.PaneSplitter->widget(1), form.ErrorMemo);
  QCOMPARE(form.PaneSplitter->sizes(), (QList<int>{270, 156}));

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

  // The lower pane keeps its height when the window grows.
  form.resize(761, 629);
  QTRY_COMPARE(form.PaneSplitter->sizes().at(1), 156);
}

void ConsoleOutputFormTest::addingAndReplacingLines_data() {
  // Operations: "+text" adds a line, "=text" replaces the last one.
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
  QTest::newRow("8-bit text as the converter wrote it") << QStringList{QString::fromUtf8("+Datei: Überschrift.wav")}
                                                        << QStringList{QString::fromUtf8("Datei: Überschrift.wav")};
}

void ConsoleOutputFormTest::addingAndReplacingLines() {
  QFETCH(QStringList, operations);
  QFETCH(QStringList, expected);
  TConsoleOutputForm form;
  // Each pane on its own: operations on one never reach the other.
  const struct {
    QPlainTextEdit* Pane;
    QPlainTextEdit* Other;
    void (TConsoleOutputForm::*Add)(const std::string&);
    void (TConsoleOutputForm::*Replace)(const std::string&);
  } panes[] = {
      {form.InfoMemo, form.ErrorMemo, &TConsoleOutputForm::AddInfoLine, &TConsoleOutputForm::ReplaceInfoLine},
      {form.ErrorMemo, form.InfoMemo, &TConsoleOutputForm::AddErrorLine, &TConsoleOutputForm::ReplaceErrorLine}};
  for (const auto& p : panes) {
    form.Clear();
    for (const QString& operation : operations) {
      const std::string text = operation.mid(1).toStdString();
      (form.*(operation.startsWith('+') ? p.Add : p.Replace))(text);
    }
    QCOMPARE(PaneLines(p.Pane), expected);
    QCOMPARE(p.Other->toPlainText(), QString());
  }
}

void ConsoleOutputFormTest::clearEmptiesBothPanes() {
  TConsoleOutputForm form;
  form.AddInfoLine("info");
  form.AddErrorLine("error");
  form.Clear();
  QCOMPARE(form.InfoMemo->toPlainText(), QString());
  QCOMPARE(form.ErrorMemo->toPlainText(), QString());
  // After emptying, the first line is the first line again, with nothing
  // above it; an empty one included.
  form.AddInfoLine("");
  form.AddInfoLine("next");
  QCOMPARE(PaneLines(form.InfoMemo), (QStringList{"", "next"}));
  form.Clear();
  form.ReplaceErrorLine("only");
  QCOMPARE(PaneLines(form.ErrorMemo), QStringList{"only"});
}

void ConsoleOutputFormTest::followsNewLinesOnlyFromTheBottom() {
  TConsoleOutputForm form;
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  QScrollBar* bar = form.InfoMemo->verticalScrollBar();
  for (int i = 0; i < 200; ++i) form.AddInfoLine("line " + std::to_string(i));
  QVERIFY(bar->maximum() > 0);
  QCOMPARE(bar->value(), bar->maximum());

  // Adding and replacing keep a pane at the bottom at the bottom.
  form.AddInfoLine("  0% processed");
  QCOMPARE(bar->value(), bar->maximum());
  form.ReplaceInfoLine(" 50% processed");
  QCOMPARE(bar->value(), bar->maximum());

  // A user reading further up is left there.
  bar->setValue(10);
  form.AddInfoLine("more");
  form.ReplaceInfoLine("more, rewritten");
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
  QCOMPARE(PaneLines(form->InfoMemo), QStringList{"kept"});
  form->show();
  QVERIFY(form->isVisible());
}

QTEST_MAIN(ConsoleOutputFormTest)
#include "ConsoleOutputFormTest.moc"
