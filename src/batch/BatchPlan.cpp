#include "batch/BatchPlan.h"

#include <map>

#include "batch/WholeOutput.h"
#include "frontend/arguments/WavHeaderReader.h"
#include "platform/DirectorySearch.h"

namespace ratemill {

platform::TFileKind TSystemBatchFiles::Kind(const std::string& path) const { return platform::FileKind(path); }

std::vector<std::string> TSystemBatchFiles::Names(const std::string& folder) const {
  std::vector<std::string> names;
  platform::TDirectorySearch search(folder);
  platform::TDirEntry entry;
  while (search.Next(entry)) names.push_back(entry.Name);
  return names;
}

std::string NotConvertibleReason(platform::TFileKind kind) {
  switch (kind) {
    case platform::TFileKind::fkRegular: return "";
    case platform::TFileKind::fkMissing: return "the file does not exist";
    case platform::TFileKind::fkFolder: return "it is a folder, not a file";
    case platform::TFileKind::fkFifo: return "it is a FIFO, not a regular file";
    case platform::TFileKind::fkDevice: return "it is a device, not a regular file";
    case platform::TFileKind::fkSocket: return "it is a socket, not a regular file";
    case platform::TFileKind::fkOther: break;
  }
  return "it is not a regular file";
}

std::vector<TPlannedEntry> PlanBatch(const std::vector<std::string>& entries, const TPlanOptions& options,
                                     const IBatchFiles& files, TWavHeaderReader& header) {
  std::vector<TPlannedEntry> plan;
  plan.reserve(entries.size());
  std::map<std::string, int> lastWithOutput;
  // Each output folder is listed once, however many outputs it gets.
  std::map<std::string, std::vector<std::string>> folderNames;

  for (const std::string& source : entries) {
    TPlannedEntry entry;
    entry.Job.Source = source;
    entry.Job.Title = options.Fragments.ConverterName + " - " + platform::ExtractFileName(source);
    const platform::TFileKind kind = files.Kind(source);
    // A missing source still goes to the converter, which says so itself, as
    // it always has; only what could block or is no file at all stays here.
    if (kind != platform::TFileKind::fkRegular && kind != platform::TFileKind::fkMissing) {
      entry.SkipReason = NotConvertibleReason(kind);
      plan.push_back(std::move(entry));
      continue;
    }

    const std::string output =
        MakeOutputPath(source, options.OutputFolder, options.Fragments, options.BitsText, header);
    entry.Job.Output = output;
    if (const TWavHeaderFault fault = header.TakeFault(); fault != TWavHeaderFault::None)
      entry.HeaderProblem = WavHeaderFaultText(fault);
    entry.OutputExists = files.Kind(output) == platform::TFileKind::fkRegular;
    if (auto same = lastWithOutput.find(output); same != lastWithOutput.end()) entry.SameOutputBefore = same->second;
    lastWithOutput[output] = static_cast<int>(plan.size());
    entry.OutputArguments = ComposeArguments(options.Fragments, source, output);
    entry.Arguments = entry.OutputArguments;

    if (options.WholeOutputs) {
      entry.Job.TempOutput = TempOutputName(output, options.ProcessId, plan.size() + 1);
      entry.Arguments = ComposeArguments(options.Fragments, source, entry.Job.TempOutput);
      const std::string folder = platform::ExtractFilePath(output);
      auto names = folderNames.find(folder);
      if (names == folderNames.end()) names = folderNames.emplace(folder, files.Names(folder)).first;
      const std::string outputName = platform::ExtractFileName(output);
      for (const std::string& name : names->second) {
        if (IsTempOutputOf(name, outputName)) entry.Job.Leftovers.push_back(folder + name);
      }
    }
    plan.push_back(std::move(entry));
  }
  return plan;
}

}  // namespace ratemill
