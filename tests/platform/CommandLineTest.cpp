#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CommandLine.h"

namespace ratemill::platform {
namespace {

using TArgs = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheRuntimeRules) {
  struct TCase {
    std::string Line;
    TArgs Expected;
  };
  const TCase cases[] = {
      {"", {}},
      {" \t ", {}},
      {"a b\tc", {"a", "b", "c"}},
      {"  --rate 44100", {"--rate", "44100"}},  // leading blanks, as the converter gets them
      {"\"a b\" c", {"a b", "c"}},
      {"pre\"fix mid\"post", {"prefix midpost"}},  // quotes may open mid-argument
      {"\"\"", {""}},
      {"a \"\" b", {"a", "", "b"}},
      {"a\\\\b", {"a\\\\b"}},                           // backslashes before anything else are literal
      {"a\\\"b", {"a\"b"}},                             // 1 before a quote: literal quote
      {"a\\\\\"b c\"", {"a\\b c"}},                     // 2: one backslash, the quote acts
      {"a\\\\\\\"b", {"a\\\"b"}},                       // 3: one backslash and a literal quote
      {"a\\\\\\\\\"b c\"", {"a\\\\b c"}},               // 4: two backslashes, the quote acts
      {"\"C:\\out\\\\\" next", {"C:\\out\\", "next"}},  // a trailing backslash doubled in quotes
      {"\"C:\\out\\\" next", {"C:\\out\" next"}},       // not doubled: the quote is literal
      {"\"a\"\"b\"", {"a\"b"}},                         // "" inside quotes
      {"\"open ended", {"open ended"}},
      {"x\" --rate 8000 \"y.wav", {"x --rate 8000 y.wav"}},
      {"tail\\", {"tail\\"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.Line), c.Expected) << c.Line;
}

TEST(QuoteArgument, QuotesOnlyWhatNeedsIt) {
  struct TCase {
    std::string Argument, Token;
  };
  const TCase cases[] = {
      {"plain", "plain"},
      {"C:\\dir\\a.wav", "C:\\dir\\a.wav"},
      {"", "\"\""},
      {"a b", "\"a b\""},
      {"a\tb", "\"a\tb\""},
      {"a\"b", "\"a\\\"b\""},
      {"my dir\\", "\"my dir\\\\\""},
      {"a\\\"b", "\"a\\\\\\\"b\""},
      {"x\" --rate 8000 \"y.wav", "\"x\\\" --rate 8000 \\\"y.wav\""},
  };
  for (const auto& c : cases) EXPECT_EQ(QuoteArgument(c.Argument), c.Token) << c.Argument;
}

// Every string up to four characters over the characters that matter, and
// some longer awkward ones, come back whole, alone and among neighbours.
TEST(QuoteArgument, SplitGivesBackTheArgument) {
  std::vector<std::string> arguments = {
      "x\" --rate 8000 \"y.wav",
      "C:\\Program Files\\",
      "\\\\server\\share\\",
      "\"\"\"",
      "a\\\\\\\"b\\\\",
      " leading",
      "trailing ",
      // Split in two so that the "e" does not join the last hex escape.
      std::string("Gr\xC3\xBC\xC3\x9F") + "e \"zitat\"",
  };
  const std::string alphabet = "a \"\\\t";
  std::vector<std::string> level = {""};
  for (int length = 0; length <= 4; ++length) {
    std::vector<std::string> next;
    for (const auto& s : level) {
      arguments.push_back(s);
      for (char c : alphabet) next.push_back(s + c);
    }
    level = std::move(next);
  }
  for (const auto& argument : arguments) {
    EXPECT_EQ(SplitCommandLine(QuoteArgument(argument)), TArgs{argument}) << '[' << argument << ']';
    const std::string line = " --in " + QuoteArgument(argument) + " " + QuoteArgument(argument) + " end";
    EXPECT_EQ(SplitCommandLine(line), (TArgs{"--in", argument, argument, "end"})) << '[' << argument << ']';
  }
}

}  // namespace
}  // namespace ratemill::platform
