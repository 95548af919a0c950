// Crash reporting in the running program: the report window itself, and
// errors of event handlers through the program's application object, the
// reporter and the main window's close path.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <functional>
#include <stdexcept>

#include "GuiFixture.h"
#include "app/Application.h"
#include "crash/CrashReport.h"
#include "crash/CrashReporter.h"
#include "frontend/MainForm.h"
#include "platform/FileSystem.h"
#include "platform/qt/QtReportWindow.h"

using namespace ratemill;
using platform::TReportAnswer;
using platform::TReportForm;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(ratemill::platform::TReportAnswer)

namespace {

// A widget whose own event handling fails, as an overridden event handler of
// a window might; `Throw` decides what it throws.
class TThrowingWidget : public QWidget {
 public:
  static constexpr QEvent::Type kFailEvent = QEvent::User;
  std::function<void()> Throw;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() == kFailEvent) Throw();
  }
};

void Fail(QObject* receiver) { QCoreApplication::postEvent(receiver, new QEvent(TThrowingWidget::kFailEvent)); }

std::size_t ReportsIn(const std::string& folder) {
  return crash::SplitReports(platform::ReadWholeFile(folder + "bugreport.txt").value_or("")).size();
}

// Acts on the report window once it is up, while `Show` waits in it. A check
// that fails inside `act` returns early; the window is then closed, so that
// the failure ends the test instead of leaving it waiting.
void WhenReportFormShows(std::function<void(TReportForm*)> act) {
  QTimer::singleShot(0, [act = std::move(act)] {
    auto* form = qobject_cast<TReportForm*>(QApplication::activeModalWidget());
    QVERIFY2(form, "no report window is showing");
    act(form);
    if (form->isVisible()) form->done(QDialog::Rejected);
  });
}

}  // namespace

class CrashReportingTest : public QObject {
  Q_OBJECT

 private slots:
  void theWindowTellsTheErrorAndOffersFiveAnswers();
  void showDisplaysTheReportReadOnly();
  void eachWayOutGivesItsAnswer_data();
  void eachWayOutGivesItsAnswer();
  void anErrorOfAHandlerIsReportedOnceAndTheProgramGoesOn();
  void closeEndsTheProgramAndSavesTheSettings();
  void restartStartsTheProgramAfterTheSettingsAreSaved();
  void aFailingSaveDoesNotKeepTheProgramFromEnding();
};

void CrashReportingTest::theWindowTellsTheErrorAndOffersFiveAnswers() {
  auto now = std::chrono::steady_clock::time_point{};
  platform::TQtReportWindow window([&now] { return now; });
  WhenReportFormShows([](TReportForm* form) {
    QCOMPARE(form->windowTitle(), QString("Ratemill"));
    QVERIFY(form->isModal());
    QCOMPARE(form->HeadLabel->text(), QString("Ein Fehler ist in der Anwendung aufgetreten"));
    QCOMPARE(form->MessageLabel->text(), QString("In /x kann nicht geschrieben werden"));
    QCOMPARE(form->CountdownLabel->text(), QString("Das Programm wird in 420 Sekunden beendet."));
    const std::pair<QPushButton*, const char*> buttons[] = {
        {form->SendButton, "&Senden"},
        {form->ShowReportButton, "Bericht &anzeigen"},
        {form->ContinueButton, "&Fortsetzen"},
        {form->RestartButton, "&Neu starten"},
        {form->CloseProgramButton, "Programm &beenden"},
    };
    for (const auto& [button, text] : buttons) {
      QCOMPARE(button->text(), QString(text));
      QVERIFY(button->isVisible());
      QCOMPARE(button->accessibleName(), QString(text).remove('&'));
      QCOMPARE(button->focusPolicy() & Qt::TabFocus, Qt::TabFocus);
    }
    QVERIFY(form->ContinueButton->isDefault());
    QCOMPARE(form->focusWidget(), form->ContinueButton);
    form->ContinueButtonClick();
  });
  platform::TReportRequest request;
  request.Message = "In /x kann nicht geschrieben werden";
  request.Report = "Bericht";
  QCOMPARE(window.Show(request), TReportAnswer::Continue);
}

void CrashReportingTest::showDisplaysTheReportReadOnly() {
  platform::TQtReportWindow window;
  const QString report = QString::fromUtf8("===== Bericht =====\nMeldung: Größe\n  eingerückt\n");
  WhenReportFormShows([report](TReportForm* form) {
    QTest::mouseClick(form->ShowReportButton, Qt::LeftButton);
    QVERIFY(form->ReportView && form->ReportView->isVisible());
    QCOMPARE(form->ReportText->toPlainText(), report);
    QVERIFY(form->ReportText->isReadOnly());
    // Showing is no answer: the window still waits.
    QVERIFY(form->isVisible());
    QTest::mouseClick(form->ContinueButton, Qt::LeftButton);
  });
  platform::TReportRequest request;
  request.Message = "kaputt";
  request.Report = report.toStdString();
  QCOMPARE(window.Show(request), TReportAnswer::Continue);
}

void CrashReportingTest::eachWayOutGivesItsAnswer_data() {
  QTest::addColumn<QString>("action");
  QTest::addColumn<bool>("previousRun");
  QTest::addColumn<TReportAnswer>("expected");
  QTest::newRow("send") << "click SendButton" << false << TReportAnswer::Send;
  QTest::newRow("restart") << "click RestartButton" << false << TReportAnswer::Restart;
  QTest::newRow("close") << "click CloseProgramButton" << false << TReportAnswer::Close;
  QTest::newRow("Enter continues") << "key Return" << false << TReportAnswer::Continue;
  QTest::newRow("Escape continues") << "key Escape" << false << TReportAnswer::Continue;
  QTest::newRow("Alt+N restarts") << "alt N" << false << TReportAnswer::Restart;
  QTest::newRow("Alt+B closes") << "alt B" << false << TReportAnswer::Close;
  QTest::newRow("420 s without answer close") << "wait" << false << TReportAnswer::Close;
  QTest::newRow("previous run: 420 s only continue") << "wait" << true << TReportAnswer::Continue;
}

void CrashReportingTest::eachWayOutGivesItsAnswer() {
  QFETCH(QString, action);
  QFETCH(bool, previousRun);
  QFETCH(TReportAnswer, expected);

  auto now = std::chrono::steady_clock::time_point{} + 5s;
  platform::TQtReportWindow window([&now] { return now; });
  WhenReportFormShows([&now, action, previousRun](TReportForm* form) {
    QCOMPARE(form->RestartButton->isVisible(), !previousRun);
    QCOMPARE(form->CloseProgramButton->isVisible(), !previousRun);
    const QString verb = action.section(' ', 0, 0);
    const QString what = action.section(' ', 1);
    if (verb == "click") {
      QTest::mouseClick(form->findChild<QPushButton*>(what), Qt::LeftButton);
    } else if (verb == "key") {
      QTest::keyClick(form, what == "Return" ? Qt::Key_Return : Qt::Key_Escape);
    } else if (verb == "alt") {
      // Accelerators belong to the active window.
      form->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(form));
      QTest::keyClick(form, static_cast<Qt::Key>(what.at(0).unicode()), Qt::AltModifier);
      // An accelerator presses its button the way a click animates it, a
      // moment later.
      QTRY_VERIFY(!form->isVisible());
    } else {
      const QString ending = previousRun ? "schließt sich" : "wird";
      now += 419s;
      form->CountdownTimerTimer();
      QVERIFY(form->isVisible());
      QVERIFY2(form->CountdownLabel->text().contains(ending + " in 1 Sekunden"),
               qPrintable(form->CountdownLabel->text()));
      now += 1s;
      form->CountdownTimerTimer();
    }
  });
  platform::TReportRequest request;
  request.Message = "kaputt";
  request.PreviousRun = previousRun;
  QCOMPARE(window.Show(request), expected);
}

void CrashReportingTest::anErrorOfAHandlerIsReportedOnceAndTheProgramGoesOn() {
  test::TGuiFixture fixture;
  test::TScriptedReportWindow reportWindow;
  test::TRecordingProgramStarter starter;
  TCrashReporting reporting(fixture.Services(), reportWindow, starter);

  QWidget window;
  auto* throwing = new TThrowingWidget;
  throwing->setObjectName("Werfer");
  throwing->setParent(&window);
  auto* edit = new QLineEdit("Zustand", &window);
  auto* working = new QPushButton("work", &window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(throwing);
  layout->addWidget(edit);
  layout->addWidget(working);
  int worked = 0;
  QObject::connect(working, &QPushButton::clicked, working, [&worked] { ++worked; });
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  std::string message = "In /x kann nicht geschrieben werden";
  throwing->Throw = [&message] { throw std::runtime_error(message); };

  const struct {
    const char* Step;
    const char* Message;
    std::size_t Shown;
  } steps[] = {
      {"first time", "In /x kann nicht geschrieben werden", 1},
      {"same error again", "In /x kann nicht geschrieben werden", 1},
      {"another error", "In /y kann nicht geschrieben werden", 2},
  };
  for (const auto& step : steps) {
    message = step.Message;
    reportWindow.Answer(TReportAnswer::Continue);
    Fail(throwing);
    QCoreApplication::processEvents();
    QVERIFY2(reportWindow.Shown.size() == step.Shown, step.Step);
    QVERIFY2(ReportsIn(fixture.AppDir()) == step.Shown, step.Step);
  }
  const std::string& report = reportWindow.Shown.back().Report;
  QVERIFY2(report.find("Herkunft: QWidget 'Werfer'\n") != std::string::npos, report.c_str());
  QVERIFY(report.find("Fehlertyp: std::runtime_error\n") != std::string::npos);

  // Continue: the program and its state are as they were.
  QVERIFY(window.isVisible());
  QCOMPARE(edit->text(), QString("Zustand"));
  QTest::mouseClick(working, Qt::LeftButton);
  QCOMPARE(worked, 1);
  QCOMPARE(starter.Started.size(), std::size_t{0});
}

void CrashReportingTest::closeEndsTheProgramAndSavesTheSettings() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  test::TScriptedReportWindow reportWindow;
  test::TRecordingProgramStarter starter;
  auto mainForm = fixture.CreateMainForm();
  TCrashReporting reporting(fixture.Services(), reportWindow, starter);
  mainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(mainForm.get()));
  mainForm->ComboSampleRate->setCurrentIndex(3);
  TThrowingWidget throwing;
  throwing.Throw = [] { throw std::runtime_error("kaputt"); };
  reportWindow.Answer(TReportAnswer::Close);

  Fail(&throwing);
  // The program's event loop; the answer must end it.
  QCOMPARE(QCoreApplication::exec(), 0);

  QCOMPARE(reportWindow.Shown.size(), std::size_t{1});
  QVERIFY(!mainForm->isVisible());
  const std::string settings = platform::ReadWholeFile(fixture.SettingsFile()).value_or("");
  QVERIFY2(settings.find("Samplerate=3") != std::string::npos, settings.c_str());
  QCOMPARE(starter.Started.size(), std::size_t{0});
}

void CrashReportingTest::restartStartsTheProgramAfterTheSettingsAreSaved() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  test::TScriptedReportWindow reportWindow;
  test::TRecordingProgramStarter starter;
  bool savedBeforeStart = false;
  starter.OnStart = [&] { savedBeforeStart = platform::FileExists(fixture.SettingsFile()); };
  auto mainForm = fixture.CreateMainForm();
  TCrashReporting reporting(fixture.Services(), reportWindow, starter);
  mainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(mainForm.get()));
  TThrowingWidget throwing;
  throwing.Throw = [] { throw std::runtime_error("kaputt"); };
  reportWindow.Answer(TReportAnswer::Restart);

  Fail(&throwing);
  QCOMPARE(QCoreApplication::exec(), 0);

  QVERIFY(!mainForm->isVisible());
  QCOMPARE(starter.Started.size(), std::size_t{1});
  QCOMPARE(starter.Started[0].Executable, fixture.Services().AppFileName);
  QCOMPARE(starter.Started[0].Folder, fixture.AppDir());
  QVERIFY(savedBeforeStart);
}

void CrashReportingTest::aFailingSaveDoesNotKeepTheProgramFromEnding() {
  test::TGuiFixture fixture;
  fixture.AddConverter();
  test::TScriptedReportWindow reportWindow;
  test::TRecordingProgramStarter starter;
  auto mainForm = fixture.CreateMainForm();
  // A folder where the settings file belongs: every save fails.
  QVERIFY(platform::ForceDirectories(fixture.SettingsFile()));
  TCrashReporting reporting(fixture.Services(), reportWindow, starter);
  mainForm->show();
  QVERIFY(QTest::qWaitForWindowExposed(mainForm.get()));
  TThrowingWidget throwing;
  throwing.Throw = [] { throw std::runtime_error("kaputt"); };
  reportWindow.Answer(TReportAnswer::Close);

  Fail(&throwing);
  QCOMPARE(QCoreApplication::exec(), 0);

  QVERIFY(!mainForm->isVisible());
  // The failed save is kept in the report file without a second window.
  QCOMPARE(reportWindow.Shown.size(), std::size_t{1});
  QCOMPARE(reportWindow.Unanswered, 0);
  const std::string reports = platform::ReadWholeFile(fixture.AppDir() + "bugreport.txt").value_or("");
  QVERIFY2(reports.find("Ratemill.ini kann nicht geschrieben werden") != std::string::npos, reports.c_str());
  // The main window hands on its own error; the report names it in words.
  QVERIFY2(reports.find("Herkunft: ratemill::TMainForm") != std::string::npos, reports.c_str());
}

int main(int argc, char** argv) {
  // The program's own application object, so that what escapes reaches it.
  TApplication application(argc, argv);
  CrashReportingTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "CrashReportingTest.moc"
