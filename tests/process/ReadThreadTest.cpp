// The shared buffer between a read thread and the main thread, and when the
// read thread announces its bytes. Steps run on one thread in a chosen order,
// so every interleaving of an append with the main thread's drain is exact.
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/MainThreadQueue.h"
#include "process/ReadThread.h"

namespace ratemill {
namespace {

// Keeps what is posted, for the test to hand out as the main thread would.
class TNoticeLog : public platform::IMessageWindow {
 public:
  bool Post(unsigned message, std::uintptr_t wParam) override {
    Notices.push_back({message, wParam});
    ++Posted;
    return true;
  }
  void Synchronize(const std::function<void()>& work) override { work(); }
  void Close() override {}

  struct TNotice {
    unsigned Message;
    std::uintptr_t WParam;
  };
  std::deque<TNotice> Notices;  // posted, not yet handled
  int Posted = 0;
};

constexpr unsigned kMessage = 1025;
constexpr std::uintptr_t kReader = 0x5eed;

struct TStepCase {
  const char* Name;
  // a: the read thread appends the next 700 bytes of the stream;
  // h: the main thread handles the oldest notice (before its first take);
  // t: the main thread takes one piece.
  const char* Steps;
  int Posts;  // notices posted by the steps
};

const TStepCase kStepCases[] = {
    {"appends while a notice is pending post once", "aaa", 1},
    {"an append after a whole drain posts again", "ahtta", 2},
    {"an append after handling, before the first take", "ahat", 2},
    {"an append between two takes of one drain", "aahtat", 2},
    {"an append right after the take that emptied the buffer", "ahta", 2},
    {"a drain cut short by a failing handler", "aaahta", 2},
    {"a notice that finds the buffer already emptied", "ahatthtt", 2},
    {"bursts with drains in between", "aaahtttaahattaahtttt", 3},
};

class ReadThreadNotices : public ::testing::TestWithParam<TStepCase> {};

TEST_P(ReadThreadNotices, PostOnlyWhenNoneIsPendingAndNeverStrandBytes) {
  const TStepCase& c = GetParam();
  auto log = std::make_shared<TNoticeLog>();
  TReadThread thread(platform::TOsHandle(), log, kMessage, kReader);
  std::string appended, taken;
  char piece[TReadThread::kReadSize];
  auto take = [&] {
    const std::size_t k = thread.TakeData(piece);
    taken.append(piece, k);
    return k;
  };
  auto handle = [&] {
    ASSERT_FALSE(log->Notices.empty()) << "the main thread drains only when a notice came";
    EXPECT_EQ(log->Notices.front().Message, kMessage);
    EXPECT_EQ(log->Notices.front().WParam, kReader);
    log->Notices.pop_front();
    thread.AcceptNotice();
  };
  for (const char* step = c.Steps; *step; ++step) {
    switch (*step) {
      case 'a': {
        std::string bytes;
        while (bytes.size() < 700) bytes += static_cast<char>('A' + (appended.size() + bytes.size()) % 53);
        thread.AppendData(bytes.data(), bytes.size());
        appended += bytes;
        break;
      }
      case 'h': handle(); break;
      case 't': take(); break;
    }
  }
  EXPECT_EQ(log->Posted, c.Posts);
  // What is still buffered must be announced by a notice not yet handled:
  // handling those notices takes every byte, in order, once.
  while (!log->Notices.empty()) {
    handle();
    while (take() != 0) {
    }
  }
  EXPECT_EQ(taken, appended);
}

INSTANTIATE_TEST_SUITE_P(Steps, ReadThreadNotices, ::testing::ValuesIn(kStepCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

}  // namespace
}  // namespace ratemill
