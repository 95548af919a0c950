#include "frontend/arguments/AttenuationText.h"

#include <gtest/gtest.h>

#include <string>

namespace ratemill {
namespace {

TEST(AttenuationTextTest, NumbersTheConverterTakes) {
  const char* const numbers[] = {"0", "00", "6", "100", "1.5", "1.", ".5", "-3", "+2", "-0.25", " 3", "3 ", "\t12\t"};
  for (const char* text : numbers) EXPECT_TRUE(IsAttenuationNumber(text)) << "[" << text << "]";
}

TEST(AttenuationTextTest, TextsTheConverterWouldRefuse) {
  const char* const refused[] = {"",      " ",   "abc", "1,5", "3 dB", "1e3",  "-",   "+",       ".",
                                 "1.2.3", "--3", "+-3", "3-",  "1 2",  "0x10", "- 3", "\xC2\xBD"};
  for (const char* text : refused) EXPECT_FALSE(IsAttenuationNumber(text)) << "[" << text << "]";
  // A NUL inside the field ends the argument the converter sees.
  EXPECT_FALSE(
      IsAttenuationNumber(std::string("1\0"
                                      "2",
                                      3)));
}

}  // namespace
}  // namespace ratemill
