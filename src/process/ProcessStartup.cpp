#include "process/ProcessStartup.h"

namespace ratemill {

using namespace platform;

std::uint32_t ComputeCreationFlags(TProcessPriority priority, TRunnerFlags flags) {
  static constexpr std::uint32_t kPriorityClasses[] = {creation::kIdlePriorityClass, creation::kNormalPriorityClass,
                                                       creation::kHighPriorityClass, creation::kRealtimePriorityClass};
  static constexpr std::uint32_t kFlagBits[] = {
      creation::kDefaultErrorMode, creation::kNewConsole, creation::kNewProcessGroup,    creation::kSeparateWowVdm,
      creation::kSharedWowVdm,     creation::kSuspended,  creation::kUnicodeEnvironment, creation::kDetachedProcess};
  std::uint32_t result = kPriorityClasses[static_cast<int>(priority)];
  for (int i = 0; i < 8; ++i) {
    if (flags.Contains(static_cast<TRunnerFlag>(i))) result |= kFlagBits[i];
  }
  return result;
}

TStartupRecord ComputeStartupRecord(const TRunnerStartupInfo& info) {
  static constexpr std::uint16_t kShowCommands[] = {0 /*swHide*/, 2 /*swMinimize*/, 3 /*swMaximize*/, 1 /*swNormal*/};
  TStartupRecord r;
  r.Desktop = info.Desktop;
  r.Title = info.Title;
  if (!info.DefaultPosition) {
    r.X = static_cast<std::uint32_t>(info.Left);
    r.Y = static_cast<std::uint32_t>(info.Top);
    r.Flags |= startf::kUsePosition;
  }
  if (!info.DefaultSize) {
    r.XSize = static_cast<std::uint32_t>(info.Width);
    r.YSize = static_cast<std::uint32_t>(info.Height);
    r.Flags |= startf::kUseSize;
  }
  if (!info.DefaultWindowState) {
    r.ShowWindow = kShowCommands[static_cast<int>(info.ShowWindow)];
    r.Flags |= startf::kUseShowWindow;
  }
  if (info.ForceOnFeedback) r.Flags |= startf::kForceOnFeedback;
  if (info.ForceOffFeedback) r.Flags |= startf::kForceOffFeedback;
  return r;
}

std::string StringsToMultiSz(const std::vector<std::string>& strings) {
  if (strings.empty()) return {};
  std::size_t size = 1;
  for (const std::string& s : strings) {
    if (s.empty()) throw EEnvironmentError();
    size += s.size() + 1;
  }
  std::string block;
  block.reserve(size);
  for (const std::string& s : strings) {
    block += s;
    block += '\0';
  }
  block += '\0';
  return block;
}

std::string TrimControl(const std::string& s) {
  std::size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
  return s.substr(begin, end - begin);
}

}  // namespace ratemill
