// An owner that sleeps in processEvents(WaitForMoreEvents) until a notice has
// changed its state, as a run waits for its converters, must wake up once the
// last notice is handled, also when nothing else ever arrives (no window, no
// timer). A chain of notices, where handling one posts the next, uses up the
// dispatcher's wake-up for the next one in the pass before it is delivered:
// without a fresh wake-up the loop below never returns and ctest ends it.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <memory>
#include <thread>
#include <vector>

#include "platform/qt/QtMainThreadQueue.h"

using namespace ratemill::platform;

class TQtQueueWakeTest : public QObject {
  Q_OBJECT

 private slots:
  void theWaitEndsAfterTheLastNoticeOfAChain_data() {
    QTest::addColumn<bool>("fromHandOver");
    QTest::addColumn<int>("links");
    // A notice that posts the next one, as a runner's notice of read data
    // may end a stream and post the run's completion.
    QTest::newRow("notice posts notice") << false << 2;
    QTest::newRow("longer chain of notices") << false << 5;
    // A worker's hand-over whose work posts a notice, as a finished watcher
    // posts the run's completion from the main thread.
    QTest::newRow("hand-over posts notice") << true << 1;
    QTest::newRow("hand-over posts a chain") << true << 3;
  }

  void theWaitEndsAfterTheLastNoticeOfAChain() {
    QFETCH(bool, fromHandOver);
    QFETCH(int, links);
    TQtMainThreadQueue queue;
    std::vector<std::uintptr_t> seen;
    bool done = false;
    std::shared_ptr<IMessageWindow> window;
    window = queue.CreateMessageWindow([&](unsigned, std::uintptr_t step) {
      seen.push_back(step);
      if (static_cast<int>(step) < links)
        window->Post(1025, step + 1);
      else
        done = true;
    });
    std::thread worker;
    if (fromHandOver) {
      worker = std::thread([&] { window->Synchronize([&] { window->Post(1025, 1); }); });
    } else {
      window->Post(1025, 1);
    }
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (worker.joinable()) worker.join();
    std::vector<std::uintptr_t> expected;
    for (int step = 1; step <= links; ++step) expected.push_back(static_cast<std::uintptr_t>(step));
    QCOMPARE(seen, expected);
    window->Close();
  }
};

QTEST_GUILESS_MAIN(TQtQueueWakeTest)
#include "QtQueueWakeTest.moc"
