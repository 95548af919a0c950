// The shared buffer between a read thread and the main thread, and when the
// read thread announces its bytes. Steps run on one thread in a chosen order,
// so every interleaving of an append with the main thread's drain is exact.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
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
    std::size_t dropped = 0;
    const std::size_t k = thread.TakeData(piece, dropped);
    EXPECT_EQ(dropped, 0u) << "nothing here comes near the limit";
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

// --- Bytes dropped when the main thread falls behind by more than the limit.

struct TDropCase {
  const char* Name;
  // Steps, each with an optional repeat count in front: a appends the next
  // 1000 bytes of the stream, t takes one piece.
  const char* Steps;
  std::vector<std::size_t> Marks;  // dropped counts, in the order they are met
};

const TDropCase kDropCases[] = {
    {"up to the limit nothing is dropped", "131a", {}},
    {"one append past the limit drops everything held", "132a", {131000}},
    {"overflows before any take add up to one count", "263a", {262000}},
    {"an overflow after some takes drops only what was left", "131a3t4a", {130928}},
    {"a drop after a taken mark is a mark of its own", "132a2t132a", {131000, 131000}},
};

class ReadThreadDrops : public ::testing::TestWithParam<TDropCase> {};

TEST_P(ReadThreadDrops, CountWhatIsLostAndGiveTheCountWithThePieceBehindTheGap) {
  const TDropCase& c = GetParam();
  auto log = std::make_shared<TNoticeLog>();
  TReadThread thread(platform::TOsHandle(), log, kMessage, kReader);
  // Numbered eight-byte tokens: no stretch of the stream repeats, so a piece
  // compared at a wrong offset cannot match.
  std::string stream;
  char token[32];
  auto append = [&] {
    std::string bytes;
    while (bytes.size() < 1000) {
      std::snprintf(token, sizeof token, "%07zX.", (stream.size() + bytes.size()) / 8);
      bytes.append(token, 8);
    }
    thread.AppendData(bytes.data(), bytes.size());
    stream += bytes;
  };
  std::size_t at = 0;  // where in the stream the next piece must come from
  std::vector<std::size_t> marks;
  char piece[TReadThread::kReadSize];
  auto take = [&] {
    std::size_t dropped = 0;
    const std::size_t k = thread.TakeData(piece, dropped);
    if (k == 0) {
      EXPECT_EQ(dropped, 0u) << "a count without a piece behind it";
      return k;
    }
    if (dropped != 0) marks.push_back(dropped);
    at += dropped;
    EXPECT_EQ(std::string(piece, k), stream.substr(at, k)) << "at " << at;
    at += k;
    return k;
  };
  for (const char* step = c.Steps; *step;) {
    const int times = std::isdigit(static_cast<unsigned char>(*step)) ? std::atoi(step) : 1;
    while (std::isdigit(static_cast<unsigned char>(*step))) ++step;
    for (int i = 0; i < times; ++i) *step == 'a' ? append() : static_cast<void>(take());
    ++step;
  }
  while (take() != 0) {
  }
  EXPECT_EQ(marks, c.Marks);
  EXPECT_EQ(at, stream.size()) << "every byte is either taken or counted";
  EXPECT_LE(thread.Capacity(), TReadThread::kMaxCapacity);
}

INSTANTIATE_TEST_SUITE_P(Steps, ReadThreadDrops, ::testing::ValuesIn(kDropCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

}  // namespace
}  // namespace ratemill
