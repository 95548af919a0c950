#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/Errors.h"

namespace ratemill::platform {
namespace {

TEST(SystemErrorMessage, CodeThenTheSystemTextOnItsOwnLine) {
  for (int code : {ENOENT, EACCES, ENOSPC, 9999}) {
    const std::string message = SystemErrorMessage(code);
    const std::string head = "Systemfehler.  Code: " + std::to_string(code) + ".\n";
    ASSERT_EQ(message.substr(0, head.size()), head) << code;
    EXPECT_EQ(message.substr(head.size()), std::strerror(code)) << code;
  }
}

TEST(SystemErrorMessage, NoCodeMeansTheGeneralText) {
  EXPECT_EQ(SystemErrorMessage(0), "Ein Aufruf einer Betriebssystemfunktion ist fehlgeschlagen");
}

TEST(ESystemError, CarriesCodeAndMessage) {
  try {
    RaiseLastOSError(ENOSPC);
  } catch (const ESystemError& e) {
    EXPECT_EQ(e.Code(), ENOSPC);
    EXPECT_EQ(std::string(e.what()), SystemErrorMessage(ENOSPC));
    return;
  }
  FAIL() << "RaiseLastOSError returned";
}

TEST(EIniFileError, NamesThePath) {
  EXPECT_STREQ(EIniFileError("/opt/ratemill/Ratemill.ini").what(),
               "In /opt/ratemill/Ratemill.ini kann nicht geschrieben werden");
}

}  // namespace
}  // namespace ratemill::platform
