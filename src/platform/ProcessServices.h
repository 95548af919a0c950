#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ProcessServicesChild.h"
#include "platform/ProcessServicesHandle.h"
#include "platform/ProcessServicesStopEvent.h"

namespace ratemill::platform {

// Creation-flag bits understood by `SpawnProcess`: the priority classes and
// the extra flags, with the values a Windows build passes on unchanged.
namespace creation {
inline constexpr std::uint32_t kIdlePriorityClass = 0x40;
inline constexpr std::uint32_t kNormalPriorityClass = 0x20;
inline constexpr std::uint32_t kHighPriorityClass = 0x80;
inline constexpr std::uint32_t kRealtimePriorityClass = 0x100;
inline constexpr std::uint32_t kDefaultErrorMode = 0x04000000;
inline constexpr std::uint32_t kNewConsole = 0x10;
inline constexpr std::uint32_t kNewProcessGroup = 0x200;
inline constexpr std::uint32_t kSeparateWowVdm = 0x800;
inline constexpr std::uint32_t kSharedWowVdm = 0x1000;
inline constexpr std::uint32_t kSuspended = 0x4;
inline constexpr std::uint32_t kUnicodeEnvironment = 0x400;
inline constexpr std::uint32_t kDetachedProcess = 0x8;
}  // namespace creation

namespace startf {
inline constexpr std::uint32_t kUseShowWindow = 0x1;
inline constexpr std::uint32_t kUseSize = 0x2;
inline constexpr std::uint32_t kUsePosition = 0x4;
inline constexpr std::uint32_t kForceOnFeedback = 0x40;
inline constexpr std::uint32_t kForceOffFeedback = 0x80;
inline constexpr std::uint32_t kUseStdHandles = 0x100;
}  // namespace startf

// The start-up record of a child's window (what STARTUPINFO carries).
struct TStartupRecord {
  std::string Desktop{};  // empty: none given
  std::string Title{};    // empty: none given
  std::uint32_t X = 0, Y = 0, XSize = 0, YSize = 0;
  std::uint32_t Flags = 0;
  std::uint16_t ShowWindow = 0;
  friend bool operator==(const TStartupRecord&, const TStartupRecord&) = default;
};

struct TSpawnRequest {
  std::string Program;      // trimmed; empty: the command line's first argument names it
  std::string CommandLine;  // the whole command line, split by the Windows C runtime's rules
  // NUL-separated "name=value" entries ending with an extra NUL; empty: inherit ours.
  std::string EnvironmentBlock;
  std::string Folder;  // empty: our current folder
  std::uint32_t CreationFlags = creation::kNormalPriorityClass;
  TStartupRecord Startup;
  // With `startf::kUseStdHandles` in Startup.Flags: the child's standard
  // input, output and error; only these are handed to the child.
  const TOsHandle* StdInput = nullptr;
  const TOsHandle* StdOutput = nullptr;
  const TOsHandle* StdError = nullptr;
};

struct TSpawnedChild {
  std::shared_ptr<TChildProcess> Process;
  TOsHandle Thread;  // the primary thread, where the system has one
  std::uint32_t ProcessId = 0;
  std::uint32_t ThreadId = 0;
};

struct TPipeEnds {
  TOsHandle Read;
  TOsHandle Write;
};

enum class TReadOutcome { roData, roEndOfStream, roStopped };

struct TReadResult {
  TReadOutcome Outcome;
  std::size_t Count;
};

// Each raises `ESystemError` with the system's error code on failure.
TPipeEnds CreatePipe();
TOsHandle DuplicateHandle(const TOsHandle& handle);

// Starts a child. Returns once it runs; a program that cannot be started
// raises `ESystemError` here, with nothing of the attempt left behind.
TSpawnedChild SpawnProcess(const TSpawnRequest& request);

// Readies the read end of a pipe that only this process reads for
// `ReadOrStop`; call once, before the first read.
void PrepareReadEnd(const TOsHandle& pipe);

// Blocks until `pipe` has bytes (reads at most `size` of them), ends, or
// `stop` is set. A read failure other than an interruption ends the stream.
TReadResult ReadOrStop(const TOsHandle& pipe, const TStopEvent& stop, char* buffer, std::size_t size);

// Blocks until every child started so far has been collected by whoever saw
// its end (the watching thread or the background collection).
void WaitForChildrenCollected();

}  // namespace ratemill::platform
