#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/BatchJob.h"
#include "frontend/arguments/ConverterArguments.h"
#include "platform/FileSystem.h"

namespace ratemill {

class TWavHeaderReader;

// The file-system facts that planning needs, behind an interface so that
// tests can state them.
class IBatchFiles {
 public:
  virtual ~IBatchFiles() = default;
  virtual platform::TFileKind Kind(const std::string& path) const = 0;
  // The kind and, for a regular file, the size, in the one look that
  // planning takes at each source.
  virtual platform::TFileFacts Facts(const std::string& path) const = 0;
  // The names of the folder's entries; empty when it cannot be read.
  virtual std::vector<std::string> Names(const std::string& folder) const = 0;
};

// The facts as the file system states them now.
class TSystemBatchFiles : public IBatchFiles {
 public:
  platform::TFileKind Kind(const std::string& path) const override;
  platform::TFileFacts Facts(const std::string& path) const override;
  std::vector<std::string> Names(const std::string& folder) const override;
};

struct TPlanOptions {
  TArgumentFragments Fragments;
  std::string BitsText;      // the displayed text of the bits choice, for names
  std::string OutputFolder;  // ends with a delimiter; empty: beside each source
  // The converter writes a temporary file that replaces the output only when
  // it succeeded (capture mode). Without it the output is written directly.
  bool WholeOutputs = false;
  std::uint32_t ProcessId = 0;  // ours, for the temporary names
};

struct TPlannedEntry {
  TBatchJob Job;  // Source, Output, TempOutput, Title, Leftovers, Chosen and Named are set
  // What the converter is handed: the argument string naming the file it
  // writes, and the same naming the output (what debug mode shows).
  std::string Arguments;
  std::string OutputArguments;
  bool OutputExists = false;
  // The nearest earlier entry with the same output, or -1.
  int SameOutputBefore = -1;
  // Not empty: the source is no regular file and is never handed on.
  std::string SkipReason;
  // The source's audio data size in bytes, which weighs the file in the
  // run's progress: the size of a regular source less a canonical header; 0
  // for any other.
  std::uint64_t DataSize = 0;
  // Not empty: the source's header was needed for the output's name and
  // could not be read; the name falls back on the last header read.
  std::string HeaderProblem;
};

// The run's plan, one entry per list entry in list order. Reads the header of
// a regular source when the rate or the bits are kept, and nothing of any
// other source.
std::vector<TPlannedEntry> PlanBatch(const std::vector<std::string>& entries, const TPlanOptions& options,
                                     const IBatchFiles& files, TWavHeaderReader& header);

// Why a path of this kind is not converted; empty for a regular file.
std::string NotConvertibleReason(platform::TFileKind kind);

}  // namespace ratemill
