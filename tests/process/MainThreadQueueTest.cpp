#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/ErrorHandling.h"
#include "platform/PlainMainThreadQueue.h"

namespace ratemill::platform {
namespace {

class PlainQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    SetGlobalErrorHandler([this](std::exception_ptr e, const void* sender) {
      Errors.push_back(ErrorMessage(e));
      Senders.push_back(sender);
    });
  }
  void TearDown() override { SetGlobalErrorHandler(nullptr); }

  TPlainMainThreadQueue Queue;
  std::vector<std::string> Log;
  std::vector<std::string> Errors;
  std::vector<const void*> Senders;
};

TEST_F(PlainQueue, ServesNoticesAndHandOversOfAllWindowsInPostingOrder) {
  auto a = Queue.CreateMessageWindow(
      [&](unsigned m, std::uintptr_t w) { Log.push_back("a" + std::to_string(m) + ":" + std::to_string(w)); });
  auto b = Queue.CreateMessageWindow(
      [&](unsigned m, std::uintptr_t w) { Log.push_back("b" + std::to_string(m) + ":" + std::to_string(w)); });
  const auto mainThread = std::this_thread::get_id();
  std::thread worker([&] {
    a->Post(1025, 7);
    b->Post(1026, 0);
    a->Synchronize([&] {
      EXPECT_EQ(std::this_thread::get_id(), mainThread);
      Log.push_back("sync");
    });
    a->Post(1025, 9);
  });
  Queue.ProcessUntil([&] { return Log.size() == 4; });
  worker.join();
  EXPECT_EQ(Log, (std::vector<std::string>{"a1025:7", "b1026:0", "sync", "a1025:9"}));
}

TEST_F(PlainQueue, AHandOverBlocksItsThreadUntilTheMainThreadHasRunIt) {
  auto w = Queue.CreateMessageWindow([](unsigned, std::uintptr_t) {});
  std::atomic<bool> returned{false};
  bool ran = false;
  std::thread worker([&] {
    w->Synchronize([&] { ran = true; });
    returned = true;
  });
  Queue.WaitForHandOvers(1);
  EXPECT_FALSE(returned.load());
  EXPECT_FALSE(ran);
  Queue.ProcessMessages();
  worker.join();
  EXPECT_TRUE(ran);
}

TEST_F(PlainQueue, ErrorsOfHandlersGoToTheErrorHandlingAndDeliveryGoesOn) {
  auto w = Queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) {
    if (m == 1) throw std::runtime_error("notice failed");
    Log.push_back(std::to_string(m));
  });
  w->Post(1, 0);
  w->Post(2, 0);
  std::thread worker([&] { w->Synchronize([] { throw std::runtime_error("hand-over failed"); }); });
  Queue.WaitForHandOvers(1);
  w->Post(3, 0);
  EXPECT_EQ(Queue.ProcessMessages(), 4u);
  worker.join();
  EXPECT_EQ(Log, (std::vector<std::string>{"2", "3"}));
  EXPECT_EQ(Errors, (std::vector<std::string>{"notice failed", "hand-over failed"}));
  EXPECT_EQ(Senders, (std::vector<const void*>{w.get(), w.get()}));
}

TEST_F(PlainQueue, ClosingDropsPendingNoticesAndReleasesWaitingHandOvers) {
  auto w = Queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) { Log.push_back(std::to_string(m)); });
  auto other =
      Queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) { Log.push_back("other" + std::to_string(m)); });
  bool ran = false;
  w->Post(1, 0);
  other->Post(2, 0);
  std::thread worker([&] { w->Synchronize([&] { ran = true; }); });
  Queue.WaitForHandOvers(1);
  w->Close();
  worker.join();  // returns without the main thread
  EXPECT_FALSE(w->Post(3, 0));
  Queue.ProcessMessages();
  EXPECT_FALSE(ran);
  EXPECT_EQ(Log, (std::vector<std::string>{"other2"}));
}

TEST_F(PlainQueue, ProcessMessagesServesWhatWasPendingOnEntryOnly) {
  std::shared_ptr<IMessageWindow> w;
  w = Queue.CreateMessageWindow([&](unsigned m, std::uintptr_t) {
    Log.push_back(std::to_string(m));
    if (m < 3) w->Post(m + 1, 0);
  });
  w->Post(1, 0);
  EXPECT_EQ(Queue.ProcessMessages(), 1u);
  EXPECT_EQ(Queue.ProcessMessages(), 1u);
  EXPECT_EQ(Log, (std::vector<std::string>{"1", "2"}));
  Queue.WaitAndProcess();
  EXPECT_EQ(Log, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_FALSE(Queue.ProcessOne());
  w->Close();
}

}  // namespace
}  // namespace ratemill::platform
