// Errors that escape event handlers: shown in an error box, and the program
// goes on handling events.
#include <QCoreApplication>
#include <QEvent>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <stdexcept>

#include "GuiFixture.h"
#include "app/Application.h"
#include "frontend/EventGuard.h"

using namespace ratemill;
using platform::TMessageAnswer;
using platform::TMessageKind;

namespace {

// A widget whose own event handling fails, as an overridden event handler of
// a window might. A posted event of its own keeps the toolkit's frames between
// the event loop and the handler few: unwinding through mouse handling would
// skip the toolkit's own clean-ups, which is why click handlers are guarded.
class TThrowingWidget : public QWidget {
 public:
  static constexpr QEvent::Type kFailEvent = QEvent::User;
  std::function<void()> Throw;

 protected:
  void customEvent(QEvent* event) override {
    if (event->type() == kFailEvent) Throw();
  }
};

}  // namespace

class ApplicationTest : public QObject {
  Q_OBJECT

 private slots:
  void errorsOfHandlersAreShownAndTheProgramGoesOn_data();
  void errorsOfHandlersAreShownAndTheProgramGoesOn();
};

void ApplicationTest::errorsOfHandlersAreShownAndTheProgramGoesOn_data() {
  QTest::addColumn<bool>("throughClickHandler");
  QTest::addColumn<bool>("standardError");
  QTest::addColumn<QString>("expected");
  QTest::newRow("click handler, runtime error") << true << true << "In /x kann nicht geschrieben werden";
  QTest::newRow("click handler, other thrown value") << true << false << "Unbekannter Fehler";
  QTest::newRow("overridden event handler, runtime error") << false << true << "In /x kann nicht geschrieben werden";
  QTest::newRow("overridden event handler, other thrown value") << false << false << "Unbekannter Fehler";
}

void ApplicationTest::errorsOfHandlersAreShownAndTheProgramGoesOn() {
  QFETCH(bool, throughClickHandler);
  QFETCH(bool, standardError);
  QFETCH(QString, expected);

  test::TGuiFixture fixture;  // installs the program's error box handling
  QWidget window;
  auto* failing = new QPushButton("fail", &window);
  auto* throwing = new TThrowingWidget;
  throwing->setParent(&window);
  throwing->setMinimumSize(40, 20);
  auto* working = new QPushButton("work", &window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(failing);
  layout->addWidget(throwing);
  layout->addWidget(working);
  auto fail = [standardError] {
    if (standardError) throw std::runtime_error("In /x kann nicht geschrieben werden");
    throw 42;
  };
  QObject::connect(failing, &QPushButton::clicked, failing, Guarded(fail));
  throwing->Throw = fail;
  int worked = 0;
  QObject::connect(working, &QPushButton::clicked, working, [&worked] { ++worked; });
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  fixture.Boxes.Answer(TMessageAnswer::Ok);

  if (throughClickHandler) {
    QTest::mouseClick(failing, Qt::LeftButton);
  } else {
    QCoreApplication::postEvent(throwing, new QEvent(TThrowingWidget::kFailEvent));
    QCoreApplication::processEvents();
  }

  QCOMPARE(fixture.Boxes.Shown().size(), std::size_t{1});
  QCOMPARE(fixture.Boxes.Shown()[0].Kind, TMessageKind::ErrorOk);
  QCOMPARE(QString::fromStdString(fixture.Boxes.Shown()[0].Text), expected);
  QTest::mouseClick(working, Qt::LeftButton);
  QCOMPARE(worked, 1);
  QVERIFY(window.isVisible());
}

int main(int argc, char** argv) {
  // The program's own application object, so that what escapes reaches it.
  TApplication application(argc, argv);
  ApplicationTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "ApplicationTest.moc"
