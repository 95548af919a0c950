// Line assembly, piece by piece, on a reader that no thread feeds: the
// pieces here are exactly what the main thread takes at once.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "ReferenceAssembly.h"
#include "platform/PlainMainThreadQueue.h"
#include "process/ProcessRunner.h"

namespace ratemill {
namespace {

struct TDelivery {
  std::string Text;
  bool StartsOnNewLine;
  friend bool operator==(const TDelivery&, const TDelivery&) = default;
};

std::ostream& operator<<(std::ostream& os, const TDelivery& d) {
  return os << "(\"" << d.Text << "\", " << (d.StartsOnNewLine ? "True" : "False") << ")";
}

// The consumer rule: add on a new line, else replace the last entry.
void Consume(std::vector<std::string>& lines, const TDelivery& d) {
  if (d.StartsOnNewLine || lines.empty()) {
    lines.push_back(d.Text);
  } else {
    lines.back() = d.Text;
  }
}

const std::string k3000 = [] {
  std::string s;
  for (int i = 0; i < 3000; ++i) s += static_cast<char>('a' + i % 26);
  return s;
}();

struct TPieceCase {
  const char* Name;
  std::vector<std::string> Pieces;
  std::vector<TDelivery> Deliveries;
  std::vector<std::string> Shown;  // what the consumer holds at the end
};

const TPieceCase kPieceCases[] = {
    {"line ended by CR LF", {"abc\r\n"}, {{"abc", true}, {"", true}}, {"abc", ""}},
    {"next piece replaces the empty line",
     {"abc\r\n", "def\n"},
     {{"abc", true}, {"", true}, {"def", false}, {"", true}},
     {"abc", "def", ""}},
    {"percentages rewritten by CR", {"10%\r", "20%\r"}, {{"10%", true}, {"20%", false}}, {"20%"}},
    {"CR does not clear the line", {"100%", "\r5%"}, {{"100%", true}, {"5%0%", false}}, {"5%0%"}},
    {"BS steps back without erasing", {"ab\bd"}, {{"ad", true}}, {"ad"}},
    {"BS at the start stays at column 0", {"\b\bx"}, {{"x", true}}, {"x"}},
    {"BS then overwrite within a line", {"abc\b\bX\ndef"}, {{"aXc", true}, {"def", true}}, {"aXc", "def"}},
    {"TAB writes eight blanks", {"a\tb"}, {{"a        b", true}}, {"a        b"}},
    {"TAB overwrites like text", {"\tX\rab"}, {{"ab      X", true}}, {"ab      X"}},
    {"NUL becomes a blank", {std::string("x\0y", 3)}, {{"x y", true}}, {"x y"}},
    {"BEL becomes a blank", {"x\ay"}, {{"x y", true}}, {"x y"}},
    {"other control bytes are ordinary",
     {"a\x01\x1b[1m\x0b\x0c\x7f"},
     {{"a\x01\x1b[1m\x0b\x0c\x7f", true}},
     {"a\x01\x1b[1m\x0b\x0c\x7f"}},
    {"3000-byte line in three pieces",
     {k3000.substr(0, 1024), k3000.substr(1024, 1024), k3000.substr(2048)},
     {{k3000.substr(0, 1024), true}, {k3000.substr(0, 2048), false}, {k3000, false}},
     {k3000}},
    {"CR alone after a finished line", {"abc\n", "\r"}, {{"abc", true}, {"", true}, {"", false}}, {"abc", ""}},
    {"several lines and an unfinished one in one piece",
     {"one\ntwo\nthr"},
     {{"one", true}, {"two", true}, {"thr", true}},
     {"one", "two", "thr"}},
    {"an unfinished line grows over pieces",
     {"ab", "cd", "e\n"},
     {{"ab", true}, {"abcd", false}, {"abcde", false}, {"", true}},
     {"abcde", ""}},
    {"CR LF split across pieces", {"50%\r", "\n"}, {{"50%", true}, {"50%", false}, {"", true}}, {"50%", ""}},
    {"high bytes pass unchanged", {"\xe4\xf6\xfc\n"}, {{"\xe4\xf6\xfc", true}, {"", true}}, {"\xe4\xf6\xfc", ""}},
    // Long runs are searched several bytes at a time; these put control bytes
    // and look-alikes at the places where such a search goes wrong.
    {"control bytes on both sides of an eight-byte boundary",
     {"0123456\n89abcdef\rXY\tZ"},
     {{"0123456", true}, {"XY        Z", true}},
     {"0123456", "XY        Z"}},
    {"ordinary bytes below 14 inside long runs",
     {"ab\x01"
      "cdefgh\x0b"
      "ijklmno\x0c"
      "p\tq\x0e\x0f"},
     {{"ab\x01"
       "cdefgh\x0b"
       "ijklmno\x0c"
       "p        q\x0e\x0f",
       true}},
     {"ab\x01"
      "cdefgh\x0b"
      "ijklmno\x0c"
      "p        q\x0e\x0f"}},
    {"a control byte right behind an ordinary one below 14",
     {"abc\x01\rX\x02\x03\x04\x05\x06\x01\x01\bY"},
     {{"X\x02\x03\x04\x05\x06\x01Y", true}},
     {"X\x02\x03\x04\x05\x06\x01Y"}},
    {"high bytes that end like control bytes are ordinary",
     {"\x8d\x8a\x89\x88\x80\x87\x8d\x8a\x89xyz\xff"},
     {{"\x8d\x8a\x89\x88\x80\x87\x8d\x8a\x89xyz\xff", true}},
     {"\x8d\x8a\x89\x88\x80\x87\x8d\x8a\x89xyz\xff"}},
    {"text written over the middle of a longer line",
     {"0123456789abcdefghij\rABCDEFGHIJK\b\bxy\tz"},
     {{"ABCDEFGHIxy        z", true}},
     {"ABCDEFGHIxy        z"}},
};

class ReaderPieces : public ::testing::TestWithParam<TPieceCase> {
 protected:
  platform::TPlainMainThreadQueue Queue;
  TProcessRunner Runner{Queue};
};

TEST_P(ReaderPieces, DeliversAsAConsoleShowsIt) {
  const TPieceCase& c = GetParam();
  Runner.SetConsoleOptions({});  // keep Lines, to hold them against the consumer
  Runner.SetKeepLines(true);
  std::vector<TDelivery> got;
  std::vector<std::string> raw;
  std::vector<std::string> shown;
  std::size_t piecesGiven = 0;
  Runner.SetOnRead([&](TProcessRunner& sender, const std::string& s, bool startsOnNewLine) {
    EXPECT_EQ(&sender, &Runner);
    EXPECT_EQ(raw.size(), piecesGiven) << "the raw piece comes before its lines";
    got.push_back({s, startsOnNewLine});
    Consume(shown, got.back());
  });
  Runner.SetOnRawRead([&](TProcessRunner&, const std::string& s) { raw.push_back(s); });
  std::size_t deliveriesBefore = 0;
  for (const std::string& piece : c.Pieces) {
    ++piecesGiven;
    Runner.OutputReader().ProcessPiece(piece.data(), piece.size());
    ASSERT_GT(got.size(), deliveriesBefore) << "every piece ends with a delivery";
    deliveriesBefore = got.size();
  }
  EXPECT_EQ(got, c.Deliveries);
  EXPECT_EQ(shown, c.Shown);
  EXPECT_EQ(raw, c.Pieces);
  EXPECT_EQ(Runner.OutputLines(), c.Shown);
  EXPECT_TRUE(Runner.ErrorLines().empty());
}

TEST_P(ReaderPieces, OwnerDataKeepsNoLinesButStillDelivers) {
  const TPieceCase& c = GetParam();
  ASSERT_TRUE(Runner.ConsoleOptions().Contains(TConsoleOption::coOwnerData));  // the default
  std::vector<TDelivery> got;
  Runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool f) { got.push_back({s, f}); });
  for (const std::string& piece : c.Pieces) Runner.OutputReader().ProcessPiece(piece.data(), piece.size());
  EXPECT_EQ(got, c.Deliveries);
  EXPECT_TRUE(Runner.OutputLines().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderPieces, ::testing::ValuesIn(kPieceCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

TEST(ReaderStreams, MatchTheByteByByteRulesForAnyMixOfBytes) {
  // Each mix weights its bytes differently: long plain runs with rare
  // control bytes, dense control bytes, and look-alikes of control bytes.
  struct TMix {
    const char* Name;
    std::string Bytes;  // drawn with equal chance
  } mixes[] = {
      {"plain text, rare controls", std::string("abcdefghijklmnopqrstuvwxyz0123456789 %.\r\n\t", 42)},
      {"dense controls", std::string("ab\r\n\b\t\0\a", 8)},
      {"look-alikes", std::string("x\x01\x06\x0b\x0c\x0e\x1f\x80\x87\x88\x89\x8a\x8d\xff\r\n\b", 17)},
  };
  std::mt19937 random(20240611);
  for (const TMix& mix : mixes) {
    platform::TPlainMainThreadQueue queue;
    TProcessRunner runner(queue);
    std::vector<TDelivery> got;
    runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool f) { got.push_back({s, f}); });
    std::vector<TDelivery> expected;
    test::TReferenceAssembly reference([&](const std::string& line, bool startsOnNewLine) {
      expected.push_back({line, startsOnNewLine});
    });
    for (int piece = 0; piece < 200; ++piece) {
      std::string bytes(std::uniform_int_distribution<std::size_t>(1, TReader::kPieceSize)(random), ' ');
      for (char& c : bytes) c = mix.Bytes[std::uniform_int_distribution<std::size_t>(0, mix.Bytes.size() - 1)(random)];
      runner.OutputReader().ProcessPiece(bytes.data(), bytes.size());
      reference.Piece(bytes.data(), bytes.size());
      ASSERT_EQ(got, expected) << mix.Name << ", piece " << piece;
    }
  }
}

TEST(ReaderLines, FollowTheConsumerRuleWithoutHandlersAndWhenOwnerDataIsSwitched) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  runner.SetConsoleOptions({});
  runner.SetKeepLines(true);
  TReader& reader = runner.OutputReader();
  reader.ProcessPiece("a\nb", 3);
  EXPECT_EQ(runner.OutputLines(), (std::vector<std::string>{"a", "b"}));
  // coOwnerData is consulted at every line: switched on, Lines stops changing.
  runner.SetConsoleOptions({TConsoleOption::coOwnerData});
  reader.ProcessPiece("c\n", 2);
  EXPECT_EQ(runner.OutputLines(), (std::vector<std::string>{"a", "b"}));
  // Switched off again in the middle of the stream, the next delivery (a
  // newer version of the line delivered last) replaces the last entry kept.
  runner.SetConsoleOptions({TConsoleOption::coRedirect});
  reader.ProcessPiece("d", 1);
  EXPECT_EQ(runner.OutputLines(), (std::vector<std::string>{"a", "d"}));
}

TEST(ReaderErrors, AThrowingHandlerDropsTheRestOfThePieceAndTheStreamGoesOn) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  std::vector<TDelivery> got;
  runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool f) {
    got.push_back({s, f});
    if (s == "one") throw std::runtime_error("handler failed");
  });
  TReader& reader = runner.OutputReader();
  EXPECT_THROW(reader.ProcessPiece("one\ntwo\n", 8), std::runtime_error);
  reader.ProcessPiece("three\n", 6);
  EXPECT_EQ(got, (std::vector<TDelivery>{{"one", true}, {"three", true}, {"", true}}));
}

TEST(ReaderErrors, AThrowingRawHandlerDropsTheWholePiece) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  std::vector<TDelivery> got;
  bool fail = true;
  runner.SetOnRawRead([&](TProcessRunner&, const std::string&) {
    if (fail) throw std::runtime_error("raw failed");
  });
  runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool f) { got.push_back({s, f}); });
  EXPECT_THROW(runner.OutputReader().ProcessPiece("lost\n", 5), std::runtime_error);
  fail = false;
  runner.OutputReader().ProcessPiece("kept\n", 5);
  EXPECT_EQ(got, (std::vector<TDelivery>{{"kept", true}, {"", true}}));
}

// --- A mark where the read thread dropped bytes.

struct TDropMarkCase {
  const char* Name;
  std::vector<std::string> Before, After;  // pieces on either side of the gap
  std::size_t Dropped;
  std::vector<std::string> Shown;
};

const std::string kMark7 = "[7 bytes of output dropped]";

const TDropMarkCase kDropMarkCases[] = {
    {"at the start of the stream", {}, {"abc\n"}, 7, {kMark7, "abc", ""}},
    {"after a finished line", {"head\n"}, {"tail"}, 7, {"head", kMark7, "tail"}},
    {"inside a line", {"part"}, {"ial\n"}, 7, {"part", kMark7, "ial", ""}},
    {"after a carriage return: later text does not overwrite the line", {"50%\r"}, {"60%"}, 7, {"50%", kMark7, "60%"}},
};

class ReaderDropMarks : public ::testing::TestWithParam<TDropMarkCase> {};

TEST_P(ReaderDropMarks, StandOnALineOfTheirOwnBetweenTheTextAroundTheGap) {
  const TDropMarkCase& c = GetParam();
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  runner.SetConsoleOptions({});
  runner.SetKeepLines(true);
  std::vector<std::string> shown, raw;
  runner.SetOnRead([&](TProcessRunner&, const std::string& s, bool f) { Consume(shown, {s, f}); });
  runner.SetOnRawRead([&](TProcessRunner&, const std::string& s) { raw.push_back(s); });
  TReader& reader = runner.OutputReader();
  for (const std::string& piece : c.Before) reader.ProcessPiece(piece.data(), piece.size());
  reader.ProcessDropped(c.Dropped);
  for (const std::string& piece : c.After) reader.ProcessPiece(piece.data(), piece.size());
  EXPECT_EQ(shown, c.Shown);
  EXPECT_EQ(runner.OutputLines(), c.Shown);
  std::vector<std::string> pieces = c.Before;
  pieces.insert(pieces.end(), c.After.begin(), c.After.end());
  EXPECT_EQ(raw, pieces) << "the raw events carry only bytes that were received";
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderDropMarks, ::testing::ValuesIn(kDropMarkCases), [](const auto& info) {
  std::string name;
  for (const char* p = info.param.Name; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
  return name;
});

// --- What a reader holds between deliveries.

TEST(ReaderMemory, KeepsNoLinesUnlessAskedAndGivesThemBackWhenNoLongerAsked) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  // The options of a capturing run whose owner shows the lines itself but
  // never said so with coOwnerData.
  runner.SetConsoleOptions({TConsoleOption::coRedirect, TConsoleOption::coSeparateError});
  ASSERT_FALSE(runner.KeepLines());  // the default
  TReader& reader = runner.OutputReader();
  const std::string line = std::string(100, 'x') + "\n";
  for (int i = 0; i < 200; ++i) reader.ProcessPiece(line.data(), line.size());
  EXPECT_TRUE(runner.OutputLines().empty());
  const std::size_t idle = reader.HeldBytes();
  EXPECT_LT(idle, line.size() * 2);

  runner.SetKeepLines(true);
  for (int i = 0; i < 200; ++i) reader.ProcessPiece(line.data(), line.size());
  EXPECT_EQ(runner.OutputLines().size(), 201u);  // 200 lines and the empty one after them
  EXPECT_GT(reader.HeldBytes(), 200 * (line.size() - 1));
  runner.SetKeepLines(false);
  EXPECT_TRUE(runner.OutputLines().empty());
  EXPECT_EQ(reader.HeldBytes(), idle);
}

TEST(ReaderMemory, ALongLineGivesItsRoomBackWhenItEnds) {
  platform::TPlainMainThreadQueue queue;
  TProcessRunner runner(queue);
  TReader& reader = runner.OutputReader();
  const std::string chunk(TReader::kPieceSize, 'y');
  const std::size_t pieces = 4 * TReader::kKeptLineCapacity / chunk.size();
  for (std::size_t i = 0; i < pieces; ++i) reader.ProcessPiece(chunk.data(), chunk.size());
  EXPECT_GE(reader.HeldBytes(), pieces * chunk.size());
  reader.ProcessPiece("\n", 1);
  EXPECT_LE(reader.HeldBytes(), TReader::kKeptLineCapacity);
  EXPECT_EQ(reader.CurrentLine(), "");
}

}  // namespace
}  // namespace ratemill
