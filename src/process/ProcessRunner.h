#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MainThreadQueue.h"
#include "platform/ProcessServices.h"
#include "process/Reader.h"
#include "process/RunnerStartupInfo.h"
#include "process/RunnerTypes.h"

namespace ratemill {

class TWaitForProcessThread;

// Starts one child process at a time, optionally captures its standard output
// and error through pipes, watches it from worker threads and reports lines and
// its end on the main thread through the queue given at construction.
//
// Use: set the properties, `Run`, process the queue's messages while `State()`
// is `rsWaiting` (read events arrive in between), receive `OnTerminate`.
class TProcessRunner {
 public:
  // Notices posted to the runner's message window. They are WM_USER + 1 and
  // WM_USER + 2, the first numbers that Windows leaves to a window class of
  // its own, so a hidden Win32 window can receive them unchanged without
  // mistaking them for system messages. WM_RUNNER_READ carries the stream
  // (`TReaderStream`), WM_RUNNER_DONE the run that completes.
  static constexpr unsigned WM_RUNNER_READ = 1025;
  static constexpr unsigned WM_RUNNER_DONE = 1026;

  explicit TProcessRunner(platform::IMainThreadQueue& queue);
  ~TProcessRunner();
  TProcessRunner(const TProcessRunner&) = delete;
  TProcessRunner& operator=(const TProcessRunner&) = delete;

  // Properties; each takes effect at the next `Run` (except `coOwnerData`,
  // which is consulted at every delivered line).
  const std::string& ApplicationName() const { return FApplicationName; }
  void SetApplicationName(const std::string& value) { FApplicationName = value; }
  const std::string& CommandLine() const { return FCommandLine; }
  void SetCommandLine(const std::string& value) { FCommandLine = value; }
  TRunnerFlags CreationFlags() const { return FCreationFlags; }
  void SetCreationFlags(TRunnerFlags value) { FCreationFlags = value; }
  const std::string& CurrentDirectory() const { return FCurrentDirectory; }
  void SetCurrentDirectory(const std::string& value) { FCurrentDirectory = value; }
  const std::vector<std::string>& Environment() const { return FEnvironment; }
  void SetEnvironment(const std::vector<std::string>& value) { FEnvironment = value; }
  TProcessPriority Priority() const { return FPriority; }
  void SetPriority(TProcessPriority value) { FPriority = value; }
  TRunnerStartupInfo& StartupInfo() { return FStartupInfo; }
  const TRunnerStartupInfo& StartupInfo() const { return FStartupInfo; }
  void SetStartupInfo(const TRunnerStartupInfo& value) { FStartupInfo = value; }
  bool WaitForTerminate() const { return FWaitForTerminate; }
  // Refused with `EProcessRunnerError` while `rsWaiting`.
  void SetWaitForTerminate(bool value);
  TConsoleOptions ConsoleOptions() const { return FConsoleOptions; }
  void SetConsoleOptions(TConsoleOptions value);
  // Whether the readers keep their own copy of the delivered lines
  // (`OutputLines`, `ErrorLines`); off by default. Even when on, nothing is
  // kept while `coOwnerData` is set. Switching it off gives the lines back.
  bool KeepLines() const { return FOutputReader.KeepLines(); }
  void SetKeepLines(bool value);

  // Events. The read events are held by the readers.
  const TRunnerReadEvent& OnRead() const { return FOutputReader.OnRead(); }
  void SetOnRead(TRunnerReadEvent handler) { FOutputReader.SetOnRead(std::move(handler)); }
  const TRunnerRawReadEvent& OnRawRead() const { return FOutputReader.OnRawRead(); }
  void SetOnRawRead(TRunnerRawReadEvent handler) { FOutputReader.SetOnRawRead(std::move(handler)); }
  const TRunnerReadEvent& OnErrorRead() const { return FErrorReader.OnRead(); }
  void SetOnErrorRead(TRunnerReadEvent handler) { FErrorReader.SetOnRead(std::move(handler)); }
  const TRunnerRawReadEvent& OnErrorRawRead() const { return FErrorReader.OnRawRead(); }
  void SetOnErrorRawRead(TRunnerRawReadEvent handler) { FErrorReader.SetOnRawRead(std::move(handler)); }
  const TRunnerTerminateEvent& OnTerminate() const { return FOnTerminate; }
  void SetOnTerminate(TRunnerTerminateEvent handler) { FOnTerminate = std::move(handler); }

  // Run-time state.
  TRunnerState State() const { return FState; }
  int PendingCompletions() const { return FPendingCompletions; }
  std::uint32_t ExitCode() const { return FExitCode; }
  // The signal that ended the child of the last watched run, as `OnTerminate`
  // sees it; 0 when it exited by itself (always on Windows).
  int ExitSignal() const { return FExitSignal; }
  std::uint32_t ProcessId() const { return FProcessId; }
  std::uint32_t ThreadId() const { return FThreadId; }
  // The child of the current run, for ending it early; empty when none.
  const std::shared_ptr<platform::TChildProcess>& Process() const { return FProcess; }

  // The readers' own copies of the delivered lines, across runs (kept with
  // `KeepLines` and without `coOwnerData`).
  const std::vector<std::string>& OutputLines() const { return FOutputReader.Lines(); }
  const std::vector<std::string>& ErrorLines() const { return FErrorReader.Lines(); }
  TReader& OutputReader() { return FOutputReader; }
  TReader& ErrorReader() { return FErrorReader; }

  // Starts the child as configured. Errors are raised to the caller with
  // `State()` `rsReady` and nothing left open.
  void Run();
  // Stops watching without ending the child; no further events follow.
  void StopWatching();

 private:
  void SetReady();
  void SetWaiting(int completions);
  void SetRunning();
  void CloseProcessHandles();
  const std::shared_ptr<platform::IMessageWindow>& Window();
  void HandleMessage(unsigned message, std::uintptr_t wParam);
  void WaitThreadFinished(const TWaitForProcessThread& thread);
  void CompletionArrived(std::uintptr_t run);
  void PostCompletion();

  platform::IMainThreadQueue& FQueue;
  std::shared_ptr<platform::IMessageWindow> FWindow;

  std::string FApplicationName;
  std::string FCommandLine;
  TRunnerFlags FCreationFlags;
  std::string FCurrentDirectory;
  std::vector<std::string> FEnvironment;
  TProcessPriority FPriority = TProcessPriority::ppNormal;
  TRunnerStartupInfo FStartupInfo;
  bool FWaitForTerminate = true;
  TConsoleOptions FConsoleOptions{TConsoleOption::coOwnerData};
  TRunnerTerminateEvent FOnTerminate;

  TRunnerState FState = TRunnerState::rsReady;
  int FPendingCompletions = 0;
  std::uint32_t FExitCode = 0;
  int FExitSignal = 0;
  std::shared_ptr<platform::TChildProcess> FProcess;
  platform::TOsHandle FThread;
  std::uint32_t FProcessId = 0;
  std::uint32_t FThreadId = 0;
  std::shared_ptr<TWaitForProcessThread> FWatchThread;
  // Completions carry the run they belong to, so one still queued from a run
  // that was stopped never counts for the next.
  std::uintptr_t FRun = 0;

  // The error reader is made first, as the owner of both expects.
  TReader FErrorReader;
  TReader FOutputReader;
};

}  // namespace ratemill
