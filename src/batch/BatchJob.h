#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frontend/arguments/WavHeaderReader.h"

namespace ratemill {

// One conversion as the engine runs it: everything is decided before the run
// starts, so the engine never looks at an option or a control.
struct TBatchJob {
  std::string Source;
  std::string Output;
  // Where the converter writes; empty when it writes `Output` itself (the old
  // batch way). Renamed onto `Output` only when the converter succeeded.
  std::string TempOutput;
  std::string ApplicationName;
  std::string CommandLine;
  std::string Title;
  // Temporary files of an earlier, crashed run for the same output; removed
  // when the run starts.
  std::vector<std::string> Leftovers;
  // What the output must be: the rate and bits the run chose, 0 where the
  // source's are kept. An output that differs is not accepted.
  TWavFormat Chosen;
  // What the output's name says it is: the rate in Hz whose kHz the name
  // gives (the source's own where it is kept) and the bits. A kept rate whose
  // kHz or a kept bit depth that differs from it is accepted with a warning;
  // 0 states nothing to hold the output to.
  TWavFormat Named;
};

struct TJobResult {
  std::uint32_t ExitCode = 0;  // a child ended by a signal reports 128 + its number
  // The signal that ended the converter; 0 when it exited by itself.
  int Signal = 0;
  // The output is in place under its name. False also for a job whose
  // converter could not write it; `Reason` then says why.
  bool Accepted = false;
  std::string Reason;
  // The output's rate and bits as read back from the written file.
  std::optional<TWavFormat> Format;
  // Not empty: accepted, but something is not as it should be (the converter
  // wrote to its error output, or a kept rate or bit depth differs from what
  // the output's name says).
  std::string Warning;
};

// What a run tells its owner, always on the main thread and, for one job, in
// this order: `JobStarting`, then either `JobStartFailed` or any number of
// output lines followed by `JobEnded`.
class IBatchObserver {
 public:
  virtual ~IBatchObserver() = default;
  // Just before the converter of job `index` starts.
  virtual void JobStarting(std::size_t index, const TBatchJob& job) = 0;
  // The converter could not be started; `message` is the system's reason.
  // No further job starts after this one.
  virtual void JobStartFailed(std::size_t index, const TBatchJob& job, const std::string& message) = 0;
  virtual void JobOutput(std::size_t index, const std::string& s, bool startsOnNewLine) = 0;
  virtual void JobErrorOutput(std::size_t index, const std::string& s, bool startsOnNewLine) = 0;
  virtual void JobEnded(std::size_t index, const TBatchJob& job, const TJobResult& result) = 0;
};

}  // namespace ratemill
