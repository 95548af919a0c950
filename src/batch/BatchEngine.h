#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "batch/BatchJob.h"
#include "platform/MainThreadQueue.h"
#include "process/RunnerStartupInfo.h"
#include "process/RunnerTypes.h"

namespace ratemill {

class TProcessRunner;

// How every converter of a run is started.
struct TRunnerSetup {
  TProcessPriority Priority = TProcessPriority::ppNormal;
  // Standard output and error captured and handed to the observer; without
  // it the converter runs in its own window and nothing is captured.
  bool Capture = true;
  TRunnerStartupInfo StartupInfo;
};

// Runs the jobs of one batch, up to `maxJobs` converters at once, started in
// list order. A job whose output is the output of a job still running waits
// for it, and the jobs behind it wait too, so list order holds.
//
// The engine lives on the main thread and is driven by its owner:
//
//   engine.Start(jobs);
//   while (engine.Pump()) handle pending main-thread messages, waiting for one;
//
// Lines and ends arrive through the observer while the messages are handled.
class TBatchEngine {
 public:
  TBatchEngine(platform::IMainThreadQueue& queue, IBatchObserver& observer, TRunnerSetup setup, int maxJobs);
  // Running converters are stopped as by `Close`, without waiting for them.
  ~TBatchEngine();
  TBatchEngine(const TBatchEngine&) = delete;
  TBatchEngine& operator=(const TBatchEngine&) = delete;

  // Takes the jobs and removes the leftovers of earlier runs. Nothing starts yet.
  void Start(std::vector<TBatchJob> jobs);

  // Starts the jobs that are due. True while the run is not over: a
  // converter runs, or a job is still to start.
  bool Pump();

  // No further job starts; running converters end as they would.
  void Cancel();
  // No further job starts, and running converters are asked to end at once,
  // then forced after `grace`. Their temporary files are removed when they
  // have ended. Keep pumping until `Pump` returns false.
  void Close(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

  bool CancelRequested() const { return FCancelRequested; }
  bool Closing() const { return FClosing; }
  // A converter could not be started; nothing more starts.
  bool StartFailed() const { return FStartFailed; }
  // The indexes of the jobs whose converters run now, oldest first.
  std::vector<std::size_t> CurrentJobs() const;
  // How many jobs have been started (or failed to start) so far.
  std::size_t StartedJobs() const { return FNext; }
  int MaxJobs() const { return static_cast<int>(FSlots.size()); }

 private:
  struct TSlot {
    std::unique_ptr<TProcessRunner> Runner;
    bool Busy = false;
    std::size_t Job = 0;
    std::size_t Order = 0;  // start order, for `CurrentJobs`
    // The first line the converter wrote to its error output, if any.
    std::string FirstError;
    bool WroteError = false;
  };

  bool OutputBusy(const std::string& output) const;
  TProcessRunner& RunnerOf(TSlot& slot);
  void StartJob(TSlot& slot, std::size_t index);
  void JobFinished(TSlot& slot, std::uint32_t exitCode, int signal);
  TJobResult Conclude(const TBatchJob& job, const TSlot& slot, std::uint32_t exitCode, int signal);

  platform::IMainThreadQueue& FQueue;
  IBatchObserver& FObserver;
  TRunnerSetup FSetup;
  std::vector<TSlot> FSlots;
  std::vector<TBatchJob> FJobs;
  std::size_t FNext = 0;
  std::size_t FStartOrder = 0;
  bool FCancelRequested = false;
  bool FClosing = false;
  bool FStartFailed = false;
};

}  // namespace ratemill
