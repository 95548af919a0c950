#include <QCoreApplication>
#include <QEventLoop>
#include <QTest>
#include <atomic>
#include <cstdio>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ChildControl.h"
#include "TempDir.h"
#include "platform/ErrorHandling.h"
#include "platform/qt/QtMainThreadQueue.h"
#include "process/ProcessRunner.h"

using namespace ratemill::platform;

class TQtMainThreadQueueTest : public QObject {
  Q_OBJECT

 private:
  std::vector<std::string> FErrors;
  std::vector<const void*> FSenders;

  // Sleeps in the event loop, woken only by events, until `done`.
  template <typename F>
  void WaitUntil(F done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

 private slots:
  void init() {
    FErrors.clear();
    FSenders.clear();
    SetGlobalErrorHandler([this](std::exception_ptr e, const void* sender) {
      FErrors.push_back(ErrorMessage(e));
      FSenders.push_back(sender);
    });
  }
  void cleanup() { SetGlobalErrorHandler(nullptr); }

  void postsFromAThreadWakeTheLoopAndKeepTheirOrder() {
    TQtMainThreadQueue queue;
    std::vector<std::string> log;
    auto a = queue.CreateMessageWindow(
        [&](unsigned m, std::uintptr_t w) { log.push_back("a" + std::to_string(m) + ":" + std::to_string(w)); });
    auto b = queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) { log.push_back("b" + std::to_string(m)); });
    const auto mainThread = std::this_thread::get_id();
    std::thread worker([&] {
      a->Post(1025, 11);
      b->Post(1026, 0);
      a->Synchronize([&] {
        QCOMPARE(std::this_thread::get_id(), mainThread);
        log.push_back("sync");
      });
      a->Post(1025, 12);
    });
    WaitUntil([&] { return log.size() == 4; });
    worker.join();
    QCOMPARE(log, (std::vector<std::string>{"a1025:11", "b1026", "sync", "a1025:12"}));
    a->Close();
    b->Close();
  }

  void aHandOverBlocksUntilTheLoopHasRunIt() {
    TQtMainThreadQueue queue;
    auto w = queue.CreateMessageWindow([](unsigned, std::uintptr_t) {});
    std::atomic<bool> returned{false};
    std::atomic<bool> ran{false};
    std::thread worker([&] {
      w->Synchronize([&] {
        QVERIFY(!returned.load());
        ran = true;
      });
      returned = true;
    });
    WaitUntil([&] { return ran.load(); });
    worker.join();
    QVERIFY(returned.load());
    w->Close();
  }

  void handlerErrorsGoToTheErrorHandlingAndDeliveryGoesOn() {
    TQtMainThreadQueue queue;
    std::vector<unsigned> seen;
    auto w = queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) {
      if (m == 1) throw std::runtime_error("notice failed");
      seen.push_back(m);
    });
    w->Post(1, 0);
    w->Post(2, 0);
    WaitUntil([&] { return seen.size() == 1; });
    QCOMPARE(seen, std::vector<unsigned>{2});
    QCOMPARE(FErrors, std::vector<std::string>{"notice failed"});
    QCOMPARE(FSenders, std::vector<const void*>{w.get()});
    w->Close();
  }

  void aRunnerOnTheLoopGetsManySmallWritesInOrderExactlyOnce() {
    // Bursts of one-token writes, each followed by the child waiting on a
    // gate: only notices can bring a burst's bytes, so one left unannounced
    // would keep the loop waiting here. The handler yields so that the read
    // thread appends while a drain is under way.
    ratemill::test::TTempDir temp;
    TQtMainThreadQueue queue;
    ratemill::TProcessRunner runner(queue);
    std::string commandLine = "child", expected;
    std::vector<std::size_t> after;
    std::vector<std::unique_ptr<ratemill::test::TChildGate>> gates;
    char token[16];
    for (int b = 0; b < 3; ++b) {
      for (int t = 0; t < 200; ++t) {
        std::snprintf(token, sizeof token, "%d.%03d|", b, t);
        commandLine += std::string(" out:") + token;
        expected += token;
      }
      after.push_back(expected.size());
      gates.push_back(std::make_unique<ratemill::test::TChildGate>(temp / ("burst" + std::to_string(b))));
      commandLine += " wait:" + gates.back()->Path();
    }
    std::string raw;
    bool ended = false;
    runner.SetApplicationName(RATEMILL_TEST_CHILD);
    runner.SetCommandLine(commandLine);
    runner.SetConsoleOptions({ratemill::TConsoleOption::coRedirect});
    runner.SetOnRawRead([&](ratemill::TProcessRunner&, const std::string& s) {
      raw += s;
      for (int i = 0; i < 20; ++i) std::this_thread::yield();
    });
    runner.SetOnTerminate([&](ratemill::TProcessRunner&, std::uint32_t) { ended = true; });
    runner.Run();
    for (std::size_t b = 0; b < gates.size(); ++b) {
      WaitUntil([&] { return raw.size() >= after[b]; });
      QCOMPARE(raw, expected.substr(0, after[b]));
      gates[b]->Release();
    }
    WaitUntil([&] { return ended; });
    QCOMPARE(raw, expected);
    QVERIFY(FErrors.empty());
  }

  void closingDropsPendingNoticesAndReleasesHandOvers() {
    TQtMainThreadQueue queue;
    std::vector<unsigned> seen;
    auto w = queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) { seen.push_back(m); });
    auto other = queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) { seen.push_back(100 + m); });
    std::atomic<bool> ran{false};
    w->Post(1, 0);
    std::promise<void> started;
    std::thread worker([&] {
      started.set_value();
      w->Synchronize([&] { ran = true; });
    });
    // Closed before the loop runs: whether the hand-over was queued already
    // or comes after, its thread returns and the work never runs.
    started.get_future().wait();
    w->Close();
    worker.join();
    QVERIFY(!w->Post(2, 0));
    other->Post(3, 0);
    WaitUntil([&] { return !seen.empty(); });
    QCoreApplication::sendPostedEvents();
    QCOMPARE(seen, std::vector<unsigned>{103});
    QVERIFY(!ran.load());
    other->Close();
  }
};

QTEST_GUILESS_MAIN(TQtMainThreadQueueTest)
#include "QtMainThreadQueueTest.moc"
