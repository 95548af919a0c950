// The runner against real children (the scripted test child), pumped through
// the plain main-thread queue as the main thread would. The same tests run on
// POSIX and on Windows; ChildControl.h holds what the systems answer
// differently.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ChildControl.h"
#include "TempDir.h"
#include "platform/ErrorHandling.h"
#include "platform/Errors.h"
#include "platform/PlainMainThreadQueue.h"
#include "platform/ProcessServices.h"
#include "process/ProcessRunner.h"

namespace ratemill {
namespace {

using platform::TPlainMainThreadQueue;
using O = TConsoleOption;

const std::string kChild = RATEMILL_TEST_CHILD;

struct TEvent {
  std::string Kind;  // "out", "err", "end"
  std::string Text;
  bool Flag = false;
  friend bool operator==(const TEvent&, const TEvent&) = default;
};

std::ostream& operator<<(std::ostream& os, const TEvent& e) {
  return os << e.Kind << "(\"" << e.Text << "\", " << (e.Flag ? "True" : "False") << ")";
}

TEvent Out(std::string s, bool f) { return {"out", std::move(s), f}; }
TEvent Err(std::string s, bool f) { return {"err", std::move(s), f}; }
TEvent End(std::uint32_t code) { return {"end", std::to_string(code), false}; }

std::string Quote(const std::string& a) { return "\"" + a + "\""; }

std::string Script(const std::vector<std::string>& steps) {
  std::string line = "child";
  for (const std::string& s : steps) line += " " + Quote(s);
  return line;
}

using TGate = test::TChildGate;

class RunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetGlobalErrorHandler([this](std::exception_ptr e, const void* sender) {
      Errors.push_back(platform::ErrorMessage(e));
      ErrorSenders.push_back(sender);
    });
    Runner = std::make_unique<TProcessRunner>(Queue);
    Runner->SetApplicationName(kChild);
    Runner->SetOnRead([this](TProcessRunner& s, const std::string& t, bool f) { Record(s, Out(t, f)); });
    Runner->SetOnErrorRead([this](TProcessRunner& s, const std::string& t, bool f) { Record(s, Err(t, f)); });
    Runner->SetOnRawRead([this](TProcessRunner&, const std::string& t) { RawOut += t; });
    Runner->SetOnErrorRawRead([this](TProcessRunner&, const std::string& t) { RawErr += t; });
    Runner->SetOnTerminate([this](TProcessRunner& s, std::uint32_t code) {
      EXPECT_EQ(Runner->State(), TRunnerState::rsReady);
      Record(s, End(code));
    });
  }
  void TearDown() override {
    Runner.reset();
    platform::SetGlobalErrorHandler(nullptr);
  }

  void Record(TProcessRunner& sender, TEvent e) {
    EXPECT_EQ(&sender, Runner.get());
    Events.push_back(std::move(e));
  }

  void Run(const std::vector<std::string>& steps, TConsoleOptions options) {
    Runner->SetConsoleOptions(options);
    Runner->SetCommandLine(Script(steps));
    Runner->Run();
  }

  void PumpUntilReady() {
    Queue.ProcessUntil([this] { return Runner->State() != TRunnerState::rsWaiting; });
  }

  std::vector<TEvent> OfKind(const std::string& kind) const {
    std::vector<TEvent> r;
    for (const TEvent& e : Events)
      if (e.Kind == kind) r.push_back(e);
    return r;
  }

  test::TTempDir Temp;
  TPlainMainThreadQueue Queue;
  std::unique_ptr<TProcessRunner> Runner;
  std::vector<TEvent> Events;
  std::string RawOut, RawErr;
  std::vector<std::string> Errors;
  std::vector<const void*> ErrorSenders;
};

// --- Piece boundaries controlled by the child: each chunk is written at once
// and the child waits until the main thread has delivered it.

struct TChunk {
  std::string Stream;  // "out" or "err"
  std::string Bytes;   // in the child's escapes
  std::size_t Size;    // bytes after unescaping
};

struct TStreamCase {
  const char* Name;
  TConsoleOptions Options;
  std::vector<TChunk> Chunks;
  std::vector<TEvent> Expected;  // every read event, then the end
};

const TStreamCase kStreamCases[] = {
    {"CR LF then a next piece",
     {O::coRedirect},
     {{"out", "abc\\r\\n", 5}, {"out", "def\\n", 4}},
     {Out("abc", true), Out("", true), Out("def", false), Out("", true), End(0)}},
    {"percentages rewritten",
     {O::coRedirect},
     {{"out", "10%\\r", 4}, {"out", "20%\\r", 4}},
     {Out("10%", true), Out("20%", false), Out("20%", false), End(0)}},
    {"CR does not clear",
     {O::coRedirect},
     {{"out", "100%", 4}, {"out", "\\r5%", 3}},
     {Out("100%", true), Out("5%0%", false), Out("5%0%", false), End(0)}},
    {"control bytes",
     {O::coRedirect},
     {{"out", "ab\\bd\\n", 5}, {"out", "a\\tb\\n", 4}, {"out", "x\\0y\\n", 4}},
     {Out("ad", true), Out("", true), Out("a        b", false), Out("", true), Out("x y", false), Out("", true),
      End(0)}},
    {"CR alone after a finished line",
     {O::coRedirect},
     {{"out", "abc\\n", 4}, {"out", "\\r", 1}},
     {Out("abc", true), Out("", true), Out("", false), End(0)}},
    {"standard error joins the output in writing order",
     {O::coRedirect},
     {{"out", "o1\\n", 3}, {"err", "e1\\n", 3}, {"out", "o2", 2}},
     {Out("o1", true), Out("", true), Out("e1", false), Out("", true), Out("o2", false), Out("o2", false), End(0)}},
    {"separate error stream",
     {O::coRedirect, O::coSeparateError},
     {{"out", "o1\\n", 3}, {"err", "e1", 2}, {"out", "o2\\n", 3}},
     {Out("o1", true), Out("", true), Err("e1", true), Out("o2", false), Out("", true), Err("e1", false), End(0)}},
};

class RunnerStreams : public RunnerTest, public ::testing::WithParamInterface<TStreamCase> {};

TEST_P(RunnerStreams, DeliverExactlyAsWrittenPieceByPiece) {
  const TStreamCase& c = GetParam();
  std::vector<std::unique_ptr<TGate>> gates;
  std::vector<std::string> steps;
  for (std::size_t i = 0; i < c.Chunks.size(); ++i) {
    gates.push_back(std::make_unique<TGate>(Temp / ("gate" + std::to_string(i))));
    steps.push_back(c.Chunks[i].Stream + ":" + c.Chunks[i].Bytes);
    steps.push_back("wait:" + gates.back()->Path());
  }
  Run(steps, c.Options);
  EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
  EXPECT_EQ(Runner->PendingCompletions(), c.Options.Contains(O::coSeparateError) ? 3 : 2);
  std::size_t expectedBytes = 0;
  for (std::size_t i = 0; i < c.Chunks.size(); ++i) {
    expectedBytes += c.Chunks[i].Size;
    Queue.ProcessUntil([&] { return RawOut.size() + RawErr.size() == expectedBytes; });
    gates[i]->Release();
  }
  PumpUntilReady();
  EXPECT_EQ(Events, c.Expected);
  EXPECT_EQ(Runner->State(), TRunnerState::rsReady);
  EXPECT_TRUE(Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RunnerStreams, ::testing::ValuesIn(kStreamCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

// --- Output buffered whole before the main thread takes any of it.

TEST_F(RunnerTest, AChildThatExitsBeforeItsOutputIsReadCompletesAfterTheLastReadEvent) {
  const std::string line3000 = std::string(1000, 'a') + std::string(1000, 'b') + std::string(1000, 'c');
  Run({"err:e\\n", "out:" + line3000, "exit:3"}, {O::coRedirect, O::coSeparateError});
  // All three threads have ended and wait for the main thread.
  Queue.WaitForHandOvers(3);
  EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
  EXPECT_EQ(Runner->PendingCompletions(), 3);
  PumpUntilReady();
  EXPECT_EQ(OfKind("out"),
            (std::vector<TEvent>{Out(line3000.substr(0, 1024), true), Out(line3000.substr(0, 2048), false),
                                 Out(line3000, false), Out(line3000, false)}));
  EXPECT_EQ(OfKind("err"), (std::vector<TEvent>{Err("e", true), Err("", true)}));
  EXPECT_EQ(Events.back(), End(3));
  EXPECT_EQ(Runner->ExitCode(), 3u);
}

TEST_F(RunnerTest, AStreamEndingWithALineFeedGetsNoFurtherDelivery) {
  Runner->SetConsoleOptions({O::coRedirect});
  Run({"out:a\\nb\\n"}, {O::coRedirect});
  Queue.WaitForHandOvers(2);
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{Out("a", true), Out("b", true), Out("", true), End(0)}));
}

// The consumer rule: add on a new line, else replace the last entry.
std::vector<std::string> Shown(const std::vector<TEvent>& events) {
  std::vector<std::string> lines;
  for (const TEvent& e : events) {
    if (e.Flag || lines.empty()) {
      lines.push_back(e.Text);
    } else {
      lines.back() = e.Text;
    }
  }
  return lines;
}

TEST_F(RunnerTest, AMainThreadFarBehindLosesBytesBeyond128KiBButNeverCorruptsTheStream) {
  // What the child printed before the flood reached the main thread in time;
  // the flood then comes while nobody drains.
  struct TCase {
    const char* Name;
    std::string Before;  // in the child's escapes
    std::size_t BeforeBytes;
    std::vector<std::string> ShownBefore;
  } cases[] = {
      {"nothing before", "", 0, {}},
      {"a finished line before", "head\\n", 5, {"head"}},
      {"part of a line before", "part", 4, {"part"}},
  };
  const int tokens = 50000;  // 400000 bytes of numbered eight-byte tokens, no line end
  std::string written;
  char token[16];
  for (int t = 0; t < tokens; ++t) {
    std::snprintf(token, sizeof token, "%07X.", t);
    written.append(token, 8);
  }
  for (const TCase& c : cases) {
    Events.clear();
    RawOut.clear();
    TGate gate(Temp / (std::string("flood-") + c.Name));
    std::vector<std::string> steps;
    if (!c.Before.empty()) steps.push_back("out:" + c.Before);
    steps.push_back("wait:" + gate.Path());
    steps.push_back("count:out:" + std::to_string(tokens));
    Run(steps, {O::coRedirect});
    const std::size_t before = c.BeforeBytes;
    Queue.ProcessUntil([&] { return RawOut.size() == before; });
    gate.Release();
    Queue.WaitForHandOvers(2);  // everything read, nothing of the flood taken
    PumpUntilReady();
    ASSERT_EQ(Events.back(), End(0)) << c.Name;
    const std::string tail = RawOut.substr(before);
    EXPECT_GT(tail.size(), 0u) << c.Name;
    EXPECT_LE(tail.size(), 131072u) << c.Name;
    // What is left is the stream's unbroken tail, and the mark in front of it
    // counts exactly the bytes in between.
    EXPECT_EQ(written.compare(written.size() - tail.size(), tail.size(), tail), 0) << c.Name;
    std::vector<std::string> shown = Shown(OfKind("out"));
    ASSERT_FALSE(shown.empty()) << c.Name;
    EXPECT_TRUE(shown.back() == tail) << c.Name << ": the tail is a line of its own";
    shown.pop_back();
    std::vector<std::string> expected = c.ShownBefore;
    expected.push_back(TReader::DroppedText(written.size() - tail.size()));
    EXPECT_EQ(shown, expected) << c.Name;
  }
}

TEST_F(RunnerTest, ManySmallWritesReachASlowMainThreadInOrderExactlyOnce) {
  // Bursts of one-token writes on both streams; the child then waits, so
  // only notices can bring a burst's bytes: one left unannounced in the
  // buffer would keep the main thread waiting here for ever. The handlers
  // give the read threads time to append while a drain is under way.
  constexpr int kBursts = 3, kTokens = 150;
  std::vector<std::unique_ptr<TGate>> gates;
  std::vector<std::string> steps;
  std::vector<std::size_t> outAfter, errAfter;
  std::string out, err;
  char token[16];
  for (int b = 0; b < kBursts; ++b) {
    for (int t = 0; t < kTokens; ++t) {
      std::snprintf(token, sizeof token, "o%d.%03d|", b, t);
      steps.push_back(std::string("out:") + token);
      out += token;
      std::snprintf(token, sizeof token, "e%d.%03d|", b, t);
      steps.push_back(std::string("err:") + token);
      err += token;
    }
    outAfter.push_back(out.size());
    errAfter.push_back(err.size());
    gates.push_back(std::make_unique<TGate>(Temp / ("burst" + std::to_string(b))));
    steps.push_back("wait:" + gates.back()->Path());
  }
  auto slowly = [](std::string& into) {
    return [&into](TProcessRunner&, const std::string& s) {
      into += s;
      for (int i = 0; i < 20; ++i) std::this_thread::yield();
    };
  };
  Runner->SetOnRawRead(slowly(RawOut));
  Runner->SetOnErrorRawRead(slowly(RawErr));
  Run(steps, {O::coRedirect, O::coSeparateError});
  for (int b = 0; b < kBursts; ++b) {
    Queue.ProcessUntil([&] { return RawOut.size() >= outAfter[b] && RawErr.size() >= errAfter[b]; });
    EXPECT_EQ(RawOut, out.substr(0, outAfter[b])) << "burst " << b;
    EXPECT_EQ(RawErr, err.substr(0, errAfter[b])) << "burst " << b;
    gates[b]->Release();
  }
  PumpUntilReady();
  EXPECT_EQ(RawOut, out);
  EXPECT_EQ(RawErr, err);
  EXPECT_EQ(Events.back(), End(0));
}

TEST_F(RunnerTest, AGrandchildHoldingThePipeKeepsTheRunWaitingUntilItsOutputIsDelivered) {
  TGate gate(Temp / "grandchild");
  Run({"out:first\\n", "grandchild:" + gate.Path(), "exit:0"}, {O::coRedirect});
  Queue.WaitForHandOvers(1);  // the child has ended; its watching thread waits
  // The watcher's completion can overtake the reader's first data notice on a
  // busy machine; "first" and its line end must be in before the grandchild
  // writes, or they arrive as one piece with "late".
  Queue.ProcessUntil([&] { return Runner->PendingCompletions() == 1 && Events.size() >= 2; });
  EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
  gate.Release();
  PumpUntilReady();
  EXPECT_EQ(Events,
            (std::vector<TEvent>{Out("first", true), Out("", true), Out("late", false), Out("", true), End(0)}));
}

TEST_F(RunnerTest, RunAfterRunTheReadersHoldNoMoreThanAfterTheFirst) {
  // The options of a batch run, which shows every line in its panes: many
  // lines on both streams and one line far longer than any other. The long
  // line (96,000 bytes) is more than a reader keeps room for after a run, and
  // with the lines before it stays below what a reader buffers before it
  // drops, so a slow main thread cannot lose any of them.
  const std::vector<std::string> steps = {"flood:out:16000", "count:out:12000", "out:\\n", "flood:err:16000"};
  std::vector<std::size_t> held;
  for (int run = 0; run < 3; ++run) {
    Events.clear();
    Run(steps, {O::coRedirect, O::coSeparateError});
    PumpUntilReady();
    ASSERT_EQ(Events.back(), End(0));
    ASSERT_GE(OfKind("out").size(), 200u) << "the lines were delivered";
    EXPECT_TRUE(Runner->OutputLines().empty());
    EXPECT_TRUE(Runner->ErrorLines().empty());
    held.push_back(Runner->OutputReader().HeldBytes() + Runner->ErrorReader().HeldBytes());
  }
  EXPECT_LE(held[0], TReader::kKeptLineCapacity) << "the long line's room was given back";
  EXPECT_LE(held[1], held[0]);
  EXPECT_LE(held[2], held[0]);
}

TEST_F(RunnerTest, LinesFollowTheConsumerRuleAcrossRunsUnlessTheOwnerKeepsThem) {
  Runner->SetKeepLines(true);
  Run({"out:a\\nb"}, {O::coRedirect});
  PumpUntilReady();
  Run({"out:c\\n"}, {O::coRedirect});
  PumpUntilReady();
  EXPECT_EQ(Runner->OutputLines(), (std::vector<std::string>{"a", "b", "c", ""}));
  Run({"out:d\\n"}, {O::coRedirect, O::coOwnerData});
  PumpUntilReady();
  EXPECT_EQ(Runner->OutputLines(), (std::vector<std::string>{"a", "b", "c", ""}));
  EXPECT_EQ(OfKind("out").back(), Out("", true));
}

// --- Errors raised by the owner's handlers.

TEST_F(RunnerTest, AReadHandlerThatThrowsLosesTheRestOfItsPieceAndTheRunCompletes) {
  TGate gate(Temp / "gate");
  Runner->SetOnRead([this](TProcessRunner& s, const std::string& t, bool f) {
    Record(s, Out(t, f));
    if (t == "one") throw std::runtime_error("Anzeige fehlgeschlagen");
  });
  Run({"out:one\\ntwo\\n", "wait:" + gate.Path(), "out:three\\n"}, {O::coRedirect});
  Queue.ProcessUntil([&] { return !Errors.empty(); });
  gate.Release();
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{Out("one", true), Out("three", true), Out("", true), End(0)}));
  EXPECT_EQ(Errors, (std::vector<std::string>{"Anzeige fehlgeschlagen"}));
  EXPECT_EQ(ErrorSenders, (std::vector<const void*>{Runner.get()}));
}

TEST_F(RunnerTest, AHandlerThatThrowsAtTheEndOfTheStreamStillLetsTheRunComplete) {
  Runner->SetOnRead([this](TProcessRunner& s, const std::string& t, bool f) {
    Record(s, Out(t, f));
    if (!f) throw std::runtime_error("letzte Zeile");
  });
  Run({"out:abc"}, {O::coRedirect});
  Queue.WaitForHandOvers(2);
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{Out("abc", true), Out("abc", false), End(0)}));
  EXPECT_EQ(Errors, (std::vector<std::string>{"letzte Zeile"}));
}

TEST_F(RunnerTest, AnErrorFromOnTerminateReachesTheErrorHandlingAfterTheRunIsReady) {
  TRunnerState stateSeen = TRunnerState::rsWaiting;
  Runner->SetOnTerminate([&](TProcessRunner& s, std::uint32_t) {
    stateSeen = s.State();
    throw std::runtime_error("Ende fehlgeschlagen");
  });
  Run({"exit:0"}, {});
  PumpUntilReady();
  EXPECT_EQ(stateSeen, TRunnerState::rsReady);
  EXPECT_EQ(Errors, (std::vector<std::string>{"Ende fehlgeschlagen"}));
}

// --- The state machine.

TEST_F(RunnerTest, WithoutCaptureOneCompletionEndsTheRunWithTheExitCode) {
  struct TCase {
    int Code;
  } cases[] = {{0}, {7}, {255}};
  for (const TCase& c : cases) {
    Events.clear();
    Run({"exit:" + std::to_string(c.Code)}, {O::coOwnerData});
    EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
    EXPECT_EQ(Runner->PendingCompletions(), 1);
    PumpUntilReady();
    EXPECT_EQ(Events, (std::vector<TEvent>{End(static_cast<std::uint32_t>(c.Code))}));
    EXPECT_EQ(Runner->ExitCode(), static_cast<std::uint32_t>(c.Code));
  }
}

// A child ended by a signal reports the shell's 128 + n as its exit code,
// which a child can also exit with by itself; only the signal tells them
// apart, where the system has signals. Each run reports its own: a signal
// does not outlive its run.
TEST_F(RunnerTest, TheSignalThatEndedTheChildIsReportedApartFromItsExitCode) {
  constexpr int kKill = 9, kTerm = 15;
  const int killed = test::kEndsBySignal ? kKill : 0;
  const int terminated = test::kEndsBySignal ? kTerm : 0;
  struct TCase {
    std::string Name;
    std::string Step;
    std::uint32_t Code;
    int Signal;
  };
  const TCase cases[] = {
      {"killed", "die:9", 137, killed},
      {"exits with 137 itself", "exit:137", 137, 0},
      {"terminated", "die:15", 143, terminated},
      {"exits with 0", "exit:0", 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Events.clear();
    int signalSeen = -1;
    Runner->SetOnTerminate([&](TProcessRunner& s, std::uint32_t code) {
      signalSeen = s.ExitSignal();
      Record(s, End(code));
    });
    Run({c.Step}, {O::coRedirect, O::coSeparateError});
    PumpUntilReady();
    EXPECT_EQ(OfKind("end"), (std::vector<TEvent>{End(c.Code)}));
    EXPECT_EQ(signalSeen, c.Signal);
    EXPECT_EQ(Runner->ExitSignal(), c.Signal);
  }
}

TEST_F(RunnerTest, RunWhileWaitingIsRefusedAndTheRunInProgressCompletes) {
  TGate gate(Temp / "gate");
  Run({"wait:" + gate.Path(), "out:done\\n", "exit:4"}, {O::coRedirect});
  for (auto attempt : {+[](TProcessRunner& r) { r.Run(); }, +[](TProcessRunner& r) { r.SetWaitForTerminate(false); }}) {
    try {
      attempt(*Runner);
      ADD_FAILURE() << "not refused";
    } catch (const EProcessRunnerError& e) {
      EXPECT_STREQ(e.what(), "Cannot perform this operation when process is running");
    }
    EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
    EXPECT_EQ(Runner->PendingCompletions(), 2);
  }
  EXPECT_TRUE(Runner->WaitForTerminate());
  gate.Release();
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{Out("done", true), Out("", true), End(4)}));
}

TEST_F(RunnerTest, WithoutWaitingRunReturnsRunningAndNeverCompletes) {
  TGate gate(Temp / "gate");
  Runner->SetWaitForTerminate(false);
  Run({"wait:" + gate.Path()}, {});
  EXPECT_EQ(Runner->State(), TRunnerState::rsRunning);
  const std::uint32_t pid = Runner->ProcessId();
  EXPECT_NE(pid, 0u);
  gate.Release();
  platform::WaitForChildrenCollected();  // collected although nobody watched
  EXPECT_TRUE(test::ProcessEnded(pid));
  EXPECT_EQ(Queue.ProcessMessages(), 0u);
  EXPECT_TRUE(Events.empty());
  // The next run is accepted, also after switching waiting back on.
  Runner->SetWaitForTerminate(true);
  EXPECT_EQ(Runner->State(), TRunnerState::rsReady);
  Run({"exit:1"}, {});
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{End(1)}));
}

TEST_F(RunnerTest, StopWatchingEndsTheRunSilentlyAndLeavesTheChildRunning) {
  TGate gate(Temp / "gate");
  Run({"out:a\\n", "wait:" + gate.Path(), "exit:0"}, {O::coRedirect, O::coSeparateError});
  Queue.ProcessUntil([&] { return !Events.empty(); });
  const std::uint32_t pid = Runner->ProcessId();
  const auto before = Events;
  Runner->StopWatching();
  EXPECT_EQ(Runner->State(), TRunnerState::rsReady);
  EXPECT_EQ(Runner->PendingCompletions(), 0);
  EXPECT_FALSE(test::ProcessEnded(pid));
  gate.Release();
  platform::WaitForChildrenCollected();
  EXPECT_TRUE(test::ProcessEnded(pid)) << "collected, no zombie";
  Queue.ProcessMessages();
  EXPECT_EQ(Events, before);
  Run({"exit:2"}, {});
  PumpUntilReady();
  EXPECT_EQ(Events.back(), End(2));
}

TEST_F(RunnerTest, ACompletionStillQueuedFromAStoppedRunDoesNotCountForTheNext) {
  TGate gate(Temp / "gate");
  Run({"exit:0"}, {});
  Queue.WaitForHandOvers(1);
  ASSERT_TRUE(Queue.ProcessOne());  // the hand-over; its completion is queued now
  EXPECT_EQ(Runner->PendingCompletions(), 1);
  Runner->StopWatching();
  Run({"wait:" + gate.Path(), "exit:5"}, {});
  Queue.ProcessMessages();
  EXPECT_EQ(Runner->State(), TRunnerState::rsWaiting);
  EXPECT_EQ(Runner->PendingCompletions(), 1);
  gate.Release();
  PumpUntilReady();
  EXPECT_EQ(Events, (std::vector<TEvent>{End(5)}));
}

TEST_F(RunnerTest, DestroyingTheRunnerWhileWaitingSilencesItAndLeavesNoZombie) {
  TGate gate(Temp / "gate");
  Run({"out:a", "wait:" + gate.Path(), "exit:0"}, {O::coRedirect});
  Queue.ProcessUntil([&] { return !Events.empty(); });
  const std::uint32_t pid = Runner->ProcessId();
  const auto before = Events;
  Runner.reset();
  EXPECT_FALSE(test::ProcessEnded(pid)) << "the child is not ended";
  gate.Release();
  platform::WaitForChildrenCollected();
  EXPECT_TRUE(test::ProcessEnded(pid));
  Queue.ProcessMessages();
  EXPECT_EQ(Events, before);
}

// --- Starting the child.

TEST_F(RunnerTest, ProgramFolderEnvironmentAndCommandLineReachTheChild) {
  test::TTempDir folder;
  Runner->SetApplicationName(" \t" + kChild + " \r\n");
  Runner->SetCurrentDirectory("  " + folder.Path() + " ");
  Runner->SetEnvironment({"RATEMILL_A=1", "RATEMILL_B=zwei drei"});
  Runner->SetConsoleOptions({O::coRedirect});
  Runner->SetKeepLines(true);
  Runner->SetCommandLine(" cwd env:RATEMILL_A env:RATEMILL_B env:PATH \"two words\" a\\\"b args");
  Runner->Run();
  PumpUntilReady();
  std::string cwd = folder.Path();
  cwd.pop_back();
  EXPECT_EQ(Runner->OutputLines(), (std::vector<std::string>{cwd, "RATEMILL_A=1", "RATEMILL_B=zwei drei", "PATH unset",
                                                             "[]", "[cwd]", "[env:RATEMILL_A]", "[env:RATEMILL_B]",
                                                             "[env:PATH]", "[two words]", "[a\"b]", "[args]", ""}));
}

TEST_F(RunnerTest, WithoutApplicationNameTheFirstArgumentNamesTheProgram) {
  Runner->SetApplicationName("   ");
  Runner->SetConsoleOptions({O::coRedirect});
  Runner->SetCommandLine(Quote(kChild) + " args");
  Runner->Run();
  PumpUntilReady();
  EXPECT_EQ(RawOut, "[" + kChild + "]\n[args]\n");
}

TEST_F(RunnerTest, AProgramThatCannotStartRaisesTheSystemErrorAndLeavesNothingBehind) {
  test::TTempDir folder;
  struct TCase {
    const char* Name;
    std::string Program, Folder, CommandLine;
    std::set<int> Codes;
  } cases[] = {
      {"missing program", folder / "missing.exe", "", "x", test::StartFailureCodes().MissingProgram},
      {"missing folder", kChild, folder / "nowhere", "x", test::StartFailureCodes().MissingFolder},
      {"empty first argument", "", "", " args", test::StartFailureCodes().MissingProgram},
      {"not executable", folder.Path(), "", "x", test::StartFailureCodes().NotAProgram},
  };
  const int descriptors = test::OpenHandles();
  for (const TCase& c : cases) {
    Runner->SetApplicationName(c.Program);
    Runner->SetCurrentDirectory(c.Folder);
    Runner->SetCommandLine(c.CommandLine);
    Runner->SetConsoleOptions({O::coRedirect, O::coSeparateError});
    try {
      Runner->Run();
      ADD_FAILURE() << c.Name << ": started";
    } catch (const platform::ESystemError& e) {
      EXPECT_TRUE(c.Codes.contains(e.Code())) << c.Name << ": " << e.Code();
    }
    EXPECT_EQ(Runner->State(), TRunnerState::rsReady) << c.Name;
    EXPECT_EQ(test::OpenHandles(), descriptors) << c.Name;
  }
  platform::WaitForChildrenCollected();  // returns: no failed child left to collect
  EXPECT_EQ(Queue.ProcessMessages(), 0u);
  EXPECT_TRUE(Events.empty());
}

TEST_F(RunnerTest, AnEmptyEnvironmentEntryStartsNothing) {
  Runner->SetEnvironment({"A=1", ""});
  try {
    Run({"exit:0"}, {O::coRedirect});
    ADD_FAILURE() << "started";
  } catch (const EEnvironmentError& e) {
    EXPECT_STREQ(e.what(), "String list passed to StringsToMultiSz cannot contain empty strings.");
  }
  EXPECT_EQ(Runner->State(), TRunnerState::rsReady);
  EXPECT_EQ(Runner->ProcessId(), 0u);
}

TEST_F(RunnerTest, IdlePriorityRunsTheChildAtTheLowestPriority) {
  struct TCase {
    TProcessPriority Priority;
    std::string Expected;  // empty: whatever the system grants
  } cases[] = {{TProcessPriority::ppIdle, "priority:" + test::IdlePriority() + "\n"},
               {TProcessPriority::ppHigh, ""},
               {TProcessPriority::ppRealTime, ""}};
  for (const TCase& c : cases) {
    RawOut.clear();
    Runner->SetPriority(c.Priority);
    Run({"priority"}, {O::coRedirect});
    PumpUntilReady();
    if (!c.Expected.empty()) {
      EXPECT_EQ(RawOut, c.Expected);
    }
    EXPECT_EQ(RawOut.rfind("priority:", 0), 0u) << "a refused raise still starts the child";
  }
}

TEST_F(RunnerTest, TheChildInheritsOnlyItsThreeStandardHandles) {
  // A file of ours that could be inherited, and runners starting children
  // side by side, each of which could pass its pipes to the other's child.
  const test::TStrayFile stray(Temp / "stray", "stray file");
  const std::string nothingInherited = "read:\nfds:" + test::NothingInheritedList() + "\n";
  std::atomic<int> leaks{0};
  auto starter = [&] {
    TPlainMainThreadQueue queue;
    for (int i = 0; i < 15; ++i) {
      TProcessRunner runner(queue);
      std::string out;
      runner.SetApplicationName(kChild);
      runner.SetCommandLine("child read:" + stray.Handle() + " fds");
      runner.SetConsoleOptions({O::coRedirect, O::coSeparateError});
      runner.SetOnRawRead([&](TProcessRunner&, const std::string& s) { out += s; });
      runner.Run();
      queue.ProcessUntil([&] { return runner.State() == TRunnerState::rsReady; });
      if (out != nothingInherited) ++leaks;
    }
  };
  std::thread a(starter), b(starter);
  a.join();
  b.join();
  EXPECT_EQ(leaks.load(), 0);
}

}  // namespace
}  // namespace ratemill
