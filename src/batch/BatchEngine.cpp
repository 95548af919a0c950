#include "batch/BatchEngine.h"

#include <algorithm>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "batch/WholeOutput.h"
#include "platform/FileSystem.h"
#include "process/ProcessRunner.h"

namespace ratemill {

namespace {

// How much of the converter's first error line a warning quotes.
constexpr std::size_t kErrorQuoteLength = 200;

}  // namespace

TBatchEngine::TBatchEngine(platform::IMainThreadQueue& queue, IBatchObserver& observer, TRunnerSetup setup, int maxJobs)
    : FQueue(queue),
      FObserver(observer),
      FSetup(std::move(setup)),
      FSlots(static_cast<std::size_t>(std::max(1, maxJobs))) {}

TBatchEngine::~TBatchEngine() {
  for (TSlot& slot : FSlots) {
    if (!slot.Busy) continue;
    if (const auto& process = slot.Runner->Process()) process->Terminate(std::chrono::milliseconds(2000));
    slot.Runner->StopWatching();
    // The converter may still write for a moment; what it leaves is a
    // leftover of ours, cleared when its output is planned again.
    const TBatchJob& job = FJobs[slot.Job];
    if (!job.TempOutput.empty()) platform::RemoveFile(job.TempOutput);
  }
}

void TBatchEngine::Start(std::vector<TBatchJob> jobs) {
  FJobs = std::move(jobs);
  FNext = 0;
  for (const TBatchJob& job : FJobs) {
    for (const std::string& leftover : job.Leftovers) platform::RemoveFile(leftover);
  }
}

bool TBatchEngine::OutputBusy(const std::string& output) const {
  return std::any_of(FSlots.begin(), FSlots.end(),
                     [&](const TSlot& slot) { return slot.Busy && FJobs[slot.Job].Output == output; });
}

bool TBatchEngine::Pump() {
  while (!FCancelRequested && !FClosing && !FStartFailed && FNext < FJobs.size()) {
    auto free = std::find_if(FSlots.begin(), FSlots.end(), [](const TSlot& slot) { return !slot.Busy; });
    if (free == FSlots.end() || OutputBusy(FJobs[FNext].Output)) break;
    StartJob(*free, FNext++);
  }
  const bool running = std::any_of(FSlots.begin(), FSlots.end(), [](const TSlot& slot) { return slot.Busy; });
  return running || (!FCancelRequested && !FClosing && !FStartFailed && FNext < FJobs.size());
}

TProcessRunner& TBatchEngine::RunnerOf(TSlot& slot) {
  if (slot.Runner) return *slot.Runner;
  slot.Runner = std::make_unique<TProcessRunner>(FQueue);
  TProcessRunner& runner = *slot.Runner;
  // The observer gets every line; a runner that kept them too would hold a
  // whole run's output until the run ends.
  TConsoleOptions options{TConsoleOption::coOwnerData};
  if (FSetup.Capture) {
    options.Include(TConsoleOption::coRedirect);
    options.Include(TConsoleOption::coSeparateError);
  }
  runner.SetConsoleOptions(options);
  runner.SetPriority(FSetup.Priority);
  runner.SetStartupInfo(FSetup.StartupInfo);
  // Its own process group, so that stopping it reaches what it started.
  runner.SetCreationFlags(TRunnerFlags{TRunnerFlag::cfNewProcGroup});
  TSlot* owner = &slot;
  runner.SetOnRead([this, owner](TProcessRunner&, const std::string& s, bool startsOnNewLine) {
    FObserver.JobOutput(owner->Job, s, startsOnNewLine);
  });
  runner.SetOnErrorRead([this, owner](TProcessRunner&, const std::string& s, bool startsOnNewLine) {
    // A converter that says something there and still exits with 0 is
    // trusted with its output, but the user is told what it said.
    if (!owner->WroteError && !s.empty()) {
      owner->WroteError = true;
      owner->FirstError = s.substr(0, kErrorQuoteLength);
    }
    FObserver.JobErrorOutput(owner->Job, s, startsOnNewLine);
  });
  runner.SetOnTerminate([this, owner](TProcessRunner& sender, std::uint32_t exitCode) {
    JobFinished(*owner, exitCode, sender.ExitSignal());
  });
  return runner;
}

void TBatchEngine::StartJob(TSlot& slot, std::size_t index) {
  const TBatchJob& job = FJobs[index];
  TProcessRunner& runner = RunnerOf(slot);
  runner.SetApplicationName(job.ApplicationName);
  runner.SetCommandLine(job.CommandLine);
  runner.StartupInfo().Title = job.Title;
  slot.Job = index;
  slot.WroteError = false;
  slot.FirstError.clear();
  FObserver.JobStarting(index, job);
  try {
    runner.Run();
  } catch (const std::exception& error) {
    FStartFailed = true;
    FObserver.JobStartFailed(index, job, error.what());
    return;
  }
  slot.Busy = true;
  slot.Order = FStartOrder++;
}

void TBatchEngine::Cancel() { FCancelRequested = true; }

void TBatchEngine::Close(std::chrono::milliseconds grace) {
  if (FClosing) return;
  FClosing = true;
  for (TSlot& slot : FSlots) {
    if (!slot.Busy) continue;
    if (const auto& process = slot.Runner->Process()) process->Terminate(grace);
  }
}

std::vector<std::size_t> TBatchEngine::CurrentJobs() const {
  std::vector<const TSlot*> busy;
  for (const TSlot& slot : FSlots) {
    if (slot.Busy) busy.push_back(&slot);
  }
  std::sort(busy.begin(), busy.end(), [](const TSlot* a, const TSlot* b) { return a->Order < b->Order; });
  std::vector<std::size_t> jobs;
  for (const TSlot* slot : busy) jobs.push_back(slot->Job);
  return jobs;
}

namespace {

// Why an output of this format is not what the job chose; empty when it is.
std::string FormatMismatch(const TWavFormat& format, const TBatchJob& job) {
  if (job.Chosen.SampleRate != 0 && format.SampleRate != job.Chosen.SampleRate)
    return "the output has " + std::to_string(format.SampleRate) + " Hz where " +
           std::to_string(job.Chosen.SampleRate) + " Hz was chosen";
  if (job.Chosen.BitsPerSample != 0 && format.BitsPerSample != job.Chosen.BitsPerSample)
    return "the output has " + std::to_string(format.BitsPerSample) + " bits where " +
           std::to_string(job.Chosen.BitsPerSample) + " bits were chosen";
  return "";
}

// What is odd about an output that is accepted all the same; empty when
// nothing is.
std::string Oddities(const TWavFormat& format, const TBatchJob& job, const std::string& firstError, bool wroteError) {
  std::vector<std::string> notes;
  if (wroteError) notes.push_back("the converter wrote to its error output: " + firstError);
  // The name gives the rate in kHz, so that is what it can be held to. A
  // kept value differs only when the converter changes it on its own, as
  // the real one does with 8 bits, which it writes as 16.
  if (job.Chosen.SampleRate == 0 && job.Named.SampleRate != 0 &&
      format.SampleRate / 1000 != job.Named.SampleRate / 1000)
    notes.push_back("the output has " + std::to_string(format.SampleRate) + " Hz where its name says " +
                    std::to_string(job.Named.SampleRate / 1000) + " kHz");
  if (job.Chosen.BitsPerSample == 0 && job.Named.BitsPerSample != 0 && format.BitsPerSample != job.Named.BitsPerSample)
    notes.push_back("the output has " + std::to_string(format.BitsPerSample) + " bits where its name says " +
                    std::to_string(job.Named.BitsPerSample));
  std::string text;
  for (const std::string& note : notes) text += (text.empty() ? "" : "; ") + note;
  return text;
}

}  // namespace

TJobResult TBatchEngine::Conclude(const TBatchJob& job, const TSlot& slot, std::uint32_t exitCode, int signal) {
  TJobResult result;
  result.ExitCode = exitCode;
  result.Signal = signal;
  if (job.TempOutput.empty()) {
    // Written directly (the old batch way): nothing to decide here.
    result.Accepted = true;
    return result;
  }
  if ((exitCode != 0 || signal != 0) && FClosing) {
    result.Reason = "the converter was stopped because Ratemill is closing";
  } else if (signal != 0) {
    result.Reason = "the converter was ended by signal " + std::to_string(signal);
  } else if (exitCode != 0) {
    result.Reason = "the converter ended with exit code " + std::to_string(exitCode);
  } else if (platform::FileKind(job.TempOutput) == platform::TFileKind::fkMissing) {
    result.Reason = "the converter wrote no output file";
  } else if (result.Format = ReadOutputFormat(job.TempOutput); !result.Format) {
    result.Reason = "the converter's output has no readable WAV header";
  } else if (std::string mismatch = FormatMismatch(*result.Format, job); !mismatch.empty()) {
    result.Reason = std::move(mismatch);
  } else {
    try {
      platform::RenameFile(job.TempOutput, job.Output);
      result.Accepted = true;
      result.Warning = Oddities(*result.Format, job, slot.FirstError, slot.WroteError);
      return result;
    } catch (const std::exception& error) {
      result.Reason = std::string("the output could not be put in place: ") + error.what();
    }
  }
  platform::RemoveFile(job.TempOutput);
  return result;
}

void TBatchEngine::JobFinished(TSlot& slot, std::uint32_t exitCode, int signal) {
  const std::size_t index = slot.Job;
  slot.Busy = false;
  const TJobResult result = Conclude(FJobs[index], slot, exitCode, signal);
  FObserver.JobEnded(index, FJobs[index], result);
}

}  // namespace ratemill
