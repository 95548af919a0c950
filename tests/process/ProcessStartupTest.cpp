#include <gtest/gtest.h>

#include "platform/ProcessServices.h"
#include "process/ProcessStartup.h"

namespace ratemill {
namespace {

using P = TProcessPriority;
using F = TRunnerFlag;

TEST(CreationFlags, PriorityClassThenFlagsInTableOrder) {
  struct TCase {
    P Priority;
    TRunnerFlags Flags;
    std::uint32_t Expected;
  } cases[] = {
      {P::ppIdle, {F::cfSuspended, F::cfNewConsole}, 0x54},
      {P::ppNormal, {}, 0x20},
      {P::ppIdle, {}, 0x40},
      {P::ppHigh, {}, 0x80},
      {P::ppRealTime, {}, 0x100},
      {P::ppNormal, {F::cfDefaultErrorMode}, 0x04000020},
      {P::ppNormal, {F::cfNewProcGroup}, 0x220},
      {P::ppNormal, {F::cfSeparateWdm}, 0x820},
      {P::ppNormal, {F::cfSharedWdm}, 0x1020},
      {P::ppNormal, {F::cfUnicode}, 0x420},
      {P::ppNormal, {F::cfDetached}, 0x28},
      {P::ppHigh,
       {F::cfDefaultErrorMode, F::cfNewConsole, F::cfNewProcGroup, F::cfSeparateWdm, F::cfSharedWdm, F::cfSuspended,
        F::cfUnicode, F::cfDetached},
       0x04001E9C | 0x80},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ComputeCreationFlags(c.Priority, c.Flags), c.Expected)
        << "priority " << static_cast<int>(c.Priority) << " flags " << c.Flags.Bits();
  }
}

TEST(StartupRecord, FieldsApplyOnlyWhenTheirDefaultIsOff) {
  using namespace platform::startf;
  auto with = [](auto change) {
    TRunnerStartupInfo info;
    change(info);
    return info;
  };
  struct TCase {
    const char* Name;
    TRunnerStartupInfo Info;
    platform::TStartupRecord Expected;
  } cases[] = {
      {"defaults", {}, {}},
      {"hidden window",
       with([](auto& i) {
         i.DefaultWindowState = false;
         i.ShowWindow = TRunnerShowWindow::swHide;
       }),
       {.Flags = kUseShowWindow, .ShowWindow = 0}},
      {"show state unused while default", with([](auto& i) { i.ShowWindow = TRunnerShowWindow::swMaximize; }), {}},
      {"minimized",
       with([](auto& i) {
         i.DefaultWindowState = false;
         i.ShowWindow = TRunnerShowWindow::swMinimize;
       }),
       {.Flags = kUseShowWindow, .ShowWindow = 2}},
      {"maximized",
       with([](auto& i) {
         i.DefaultWindowState = false;
         i.ShowWindow = TRunnerShowWindow::swMaximize;
       }),
       {.Flags = kUseShowWindow, .ShowWindow = 3}},
      {"normal", with([](auto& i) { i.DefaultWindowState = false; }), {.Flags = kUseShowWindow, .ShowWindow = 1}},
      {"position",
       with([](auto& i) {
         i.DefaultPosition = false;
         i.Left = 10;
         i.Top = 20;
         i.Width = 99;
       }),
       {.X = 10, .Y = 20, .Flags = kUsePosition}},
      {"size",
       with([](auto& i) {
         i.DefaultSize = false;
         i.Width = 300;
         i.Height = 200;
         i.Left = 5;
       }),
       {.XSize = 300, .YSize = 200, .Flags = kUseSize}},
      {"feedback",
       with([](auto& i) {
         i.ForceOnFeedback = true;
         i.ForceOffFeedback = true;
       }),
       {.Flags = kForceOnFeedback | kForceOffFeedback}},
      {"title and desktop",
       with([](auto& i) {
         i.Title = "Konverter";
         i.Desktop = "winsta0\\default";
       }),
       {.Desktop = "winsta0\\default", .Title = "Konverter"}},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(ComputeStartupRecord(c.Info), c.Expected) << c.Name;
  }
}

TEST(StringsToMultiSz, EntriesEndWithNulAndTheBlockWithOneMore) {
  EXPECT_EQ(StringsToMultiSz({}), std::string());
  EXPECT_EQ(StringsToMultiSz({"A=1"}), std::string("A=1\0\0", 5));
  EXPECT_EQ(StringsToMultiSz({"A=1", "PATH=/bin"}), std::string("A=1\0PATH=/bin\0\0", 15));
}

TEST(StringsToMultiSz, RefusesAnEmptyEntry) {
  try {
    StringsToMultiSz({"A=1", "", "B=2"});
    FAIL() << "no error raised";
  } catch (const EEnvironmentError& e) {
    EXPECT_STREQ(e.what(), "String list passed to StringsToMultiSz cannot contain empty strings.");
  }
}

TEST(TrimControl, RemovesCodesUpTo32AtBothEndsOnly) {
  struct TCase {
    std::string In, Out;
  } cases[] = {
      {"", ""},
      {"   ", ""},
      {" \t/usr/bin/x \r\n", "/usr/bin/x"},
      {std::string("\0\x1f a b \x01", 8), "a b"},
      {"a\x7f", "a\x7f"},
      {"\xe4rger", "\xe4rger"},
  };
  for (const TCase& c : cases) EXPECT_EQ(TrimControl(c.In), c.Out) << c.In;
}

}  // namespace
}  // namespace ratemill
