// Start-up's window wiring: which windows exist, who owns them and which
// window each one reaches, with and without the converter.
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "GuiFixture.h"
#include "about/InfoForm.h"
#include "app/ProgramWindows.h"
#include "frontend/ConsoleOutputForm.h"
#include "frontend/Form3.h"
#include "frontend/MainForm.h"
#include "i18n/TranslateForm.h"

using namespace ratemill;
using platform::TMessageAnswer;

class ProgramWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyWindowKnowsThoseItTalksTo();
  void missingConverterCreatesTheMainWindowAlone();
  void mainAboutAndTranslationWindowsStandInTheMiddleOfTheScreen();
};

void ProgramWindowsTest::everyWindowKnowsThoseItTalksTo() {
  test::TGuiFixture fixture;
  fixture.AddConverter();

  const ProgramWindows windows = CreateWindows(fixture.Services());

  TMainForm* main = windows.Main.get();
  QVERIFY(main != nullptr);
  QVERIFY(!main->Terminated());
  QVERIFY(windows.Form3 != nullptr);
  QVERIFY(windows.InfoForm != nullptr);
  QVERIFY(windows.TranslateForm != nullptr);
  QVERIFY(windows.ConsoleOutputForm != nullptr);
  // Owned by the main window, so that they close with it and only it stands
  // in the taskbar.
  for (const QWidget* child : std::initializer_list<const QWidget*>{windows.Form3, windows.InfoForm,
                                                                    windows.TranslateForm, windows.ConsoleOutputForm}) {
    QCOMPARE(child->parentWidget(), static_cast<QWidget*>(main));
    QVERIFY(child->isWindow());
    QVERIFY(!child->isVisible());
  }
  QVERIFY(!main->isVisible());

  QCOMPARE(main->InfoForm(), windows.InfoForm);
  QCOMPARE(main->ConsoleOutputForm(), windows.ConsoleOutputForm);
  QCOMPARE(windows.InfoForm->MainForm(), main);
  QCOMPARE(windows.InfoForm->TranslateForm(), windows.TranslateForm);
  QCOMPARE(windows.TranslateForm->MainForm(), main);
  QCOMPARE(windows.TranslateForm->InfoForm(), windows.InfoForm);
  QVERIFY(fixture.Boxes.Shown().empty());
}

void ProgramWindowsTest::missingConverterCreatesTheMainWindowAlone() {
  test::TGuiFixture fixture;
  fixture.Boxes.Answer(TMessageAnswer::No);

  const ProgramWindows windows = CreateWindows(fixture.Services());

  QVERIFY(windows.Main != nullptr);
  QVERIFY(windows.Main->Terminated());
  QCOMPARE(fixture.Boxes.Shown().size(), std::size_t{1});
  QVERIFY(windows.Form3 == nullptr);
  QVERIFY(windows.InfoForm == nullptr);
  QVERIFY(windows.TranslateForm == nullptr);
  QVERIFY(windows.ConsoleOutputForm == nullptr);
  // Not merely unreported: none of the other windows was made at all.
  QVERIFY(windows.Main->findChildren<QDialog*>().isEmpty());
  QVERIFY(windows.Main->findChildren<TConsoleOutputForm*>().isEmpty());
  QVERIFY(windows.Main->InfoForm() == nullptr);
  QVERIFY(windows.Main->ConsoleOutputForm() == nullptr);
}

void ProgramWindowsTest::mainAboutAndTranslationWindowsStandInTheMiddleOfTheScreen() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  const ProgramWindows windows = CreateWindows(fixture.Services());
  const QScreen* screen = QGuiApplication::primaryScreen();
  QVERIFY(screen != nullptr);
  const QPoint middle = screen->availableGeometry().center();
  // Placed by the inner size, so the window frame may shift it by its own
  // width, and halving an odd size by one more pixel.
  auto centred = [&middle](const QWidget& window) {
    const QPoint offset = window.geometry().center() - middle;
    const QPoint frame = window.geometry().topLeft() - window.frameGeometry().topLeft();
    return qAbs(offset.x()) <= frame.x() + 1 && qAbs(offset.y()) <= frame.y() + 1;
  };

  // The main window is placed when it is made; the two dialogs each time
  // they are shown, not over their parent as dialogs otherwise are.
  QVERIFY(centred(*windows.Main));
  windows.Main->show();
  windows.Main->move(0, 0);
  QVERIFY(QTest::qWaitForWindowExposed(windows.Main.get()));
  for (QWidget* dialog : std::initializer_list<QWidget*>{windows.InfoForm, windows.TranslateForm}) {
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    QVERIFY2(centred(*dialog), qPrintable(dialog->windowTitle()));
    dialog->hide();
  }
}

QTEST_MAIN(ProgramWindowsTest)
#include "ProgramWindowsTest.moc"
