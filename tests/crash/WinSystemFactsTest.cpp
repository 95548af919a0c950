// The Windows system facts a report carries: the system, the thread, the
// stack of the calling code and readable type names.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "crash/SystemFacts.h"
#include "platform/Errors.h"

namespace ratemill::crash {
namespace {

TEST(WinSystemFacts, TheSystemIsNamedWithVersionBuildAndMachine) {
  const std::string system = OperatingSystemDescription();
  EXPECT_EQ(system.rfind("Windows ", 0), 0u) << system;
  EXPECT_NE(system.find(" Build "), std::string::npos) << system;
  EXPECT_EQ(system.substr(system.size() - 7), " x86_64") << system;
}

TEST(WinSystemFacts, TheMainThreadIsToldFromOthersAndANamedThreadCarriesItsName) {
  EXPECT_EQ(CurrentThreadDescription(), "Hauptthread " + std::to_string(::GetCurrentThreadId()));
  std::string plain, named, expectedPlain, expectedNamed;
  std::thread([&] {
    expectedPlain = "Thread " + std::to_string(::GetCurrentThreadId());
    plain = CurrentThreadDescription();
    // Looked up as the program does: the headers for older systems lack it.
    using TSetThreadDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const auto setDescription = reinterpret_cast<TSetThreadDescription>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    ASSERT_NE(setDescription, nullptr);
    ASSERT_TRUE(SUCCEEDED(setDescription(::GetCurrentThread(), L"Leser \u00fc")));
    expectedNamed = expectedPlain + " (Leser \xC3\xBC)";
    named = CurrentThreadDescription();
  }).join();
  EXPECT_EQ(plain, expectedPlain);
  EXPECT_EQ(named, expectedNamed);
}

[[gnu::noinline]] std::string CapturedHere() { return CaptureStackTrace(); }

TEST(WinSystemFacts, TheStackStartsAtTheCallerAndEndsWithTheStack) {
  const std::string trace = CapturedHere();
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back(), '\n');
  // The innermost frame is the caller's, in this program's own image.
  char self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
  const auto base = reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr));
  const auto caller = reinterpret_cast<std::uintptr_t>(&CapturedHere);
  const std::string first = trace.substr(0, trace.find('\n'));
  ASSERT_EQ(first.rfind(std::string(self) + "(+0x", 0), 0u) << trace;
  const std::uintptr_t offset = std::stoull(first.substr(std::strlen(self) + 4), nullptr, 16);
  EXPECT_GE(offset, caller - base) << trace;
  EXPECT_LT(offset, caller - base + 0x200) << trace;
  // Each line is "module(+0xoffset) [0xaddress]" and none is past the end.
  std::size_t frames = 0;
  for (std::size_t at = 0; at < trace.size(); at = trace.find('\n', at) + 1) {
    const std::string line = trace.substr(at, trace.find('\n', at) - at);
    EXPECT_NE(line.find("(+0x"), std::string::npos) << line;
    EXPECT_NE(line.find(") [0x"), std::string::npos) << line;
    EXPECT_EQ(line.find("[0x0]"), std::string::npos) << line;
    ++frames;
  }
  EXPECT_GE(frames, 3u) << trace;
}

TEST(WinSystemFacts, StackLinesWithMangledNamesBecomeReadableOthersStayAsTheyAre) {
  const struct {
    const char* Line;
    const char* Expected;
  } cases[] = {
      {"C:\\ratemill.exe(_ZN8ratemill5crash3RunEv+0x1f) [0x14000101f]",
       "C:\\ratemill.exe(ratemill::crash::Run()+0x1f) [0x14000101f]"},
      {"C:\\ratemill.exe(_ZN8ratemill5crash3RunEv) [0x14000101f]",
       "C:\\ratemill.exe(ratemill::crash::Run()) [0x14000101f]"},
      {"C:\\ratemill.exe(+0x101f) [0x14000101f]", "C:\\ratemill.exe(+0x101f) [0x14000101f]"},
      {"C:\\ratemill.exe(main+0x10) [0x140001010]", "C:\\ratemill.exe(main+0x10) [0x140001010]"},
      {" [0x67ff0000]", " [0x67ff0000]"},
  };
  for (const auto& c : cases) EXPECT_EQ(DemangleStackLine(c.Line), c.Expected) << c.Line;
}

TEST(WinSystemFacts, ThrownTypesAreNamedReadably) {
  EXPECT_EQ(ExceptionTypeName(std::make_exception_ptr(std::runtime_error("x"))), "std::runtime_error");
  EXPECT_EQ(ExceptionTypeName(std::make_exception_ptr(platform::ESystemError(ERROR_ACCESS_DENIED))),
            "ratemill::platform::ESystemError");
  EXPECT_EQ(ExceptionTypeName(std::make_exception_ptr(42)), "int");
  EXPECT_EQ(ExceptionTypeName(nullptr), "");
}

TEST(WinSystemFacts, SecondsSinceEpochFollowTheSystemClock) {
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const unsigned long long ticks = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  const long long system = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
  const long long ours = SecondsSinceEpoch();
  EXPECT_GE(ours, system);
  EXPECT_LE(ours, system + 5);
}

}  // namespace
}  // namespace ratemill::crash
