#include "batch/BatchPlan.h"

#include <charconv>
#include <map>
#include <string_view>

#include "batch/WholeOutput.h"
#include "frontend/arguments/WavHeaderReader.h"
#include "platform/DirectorySearch.h"

namespace ratemill {

platform::TFileKind TSystemBatchFiles::Kind(const std::string& path) const { return platform::FileKind(path); }

platform::TFileFacts TSystemBatchFiles::Facts(const std::string& path) const { return platform::FileFacts(path); }

std::vector<std::string> TSystemBatchFiles::Names(const std::string& folder) const {
  std::vector<std::string> names;
  platform::TDirectorySearch search(folder);
  platform::TDirEntry entry;
  while (search.Next(entry)) names.push_back(entry.Name);
  return names;
}

namespace {

// A whole text that is a number, or 0.
template <typename T>
T NumberOf(std::string_view text) {
  T value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : 0;
}

// The number that a fragment such as " --rate 48000" hands the converter; 0
// for an empty fragment (the source's value is kept) and for a value that is
// no number, which the converter refuses itself, so there is nothing to check
// its output against.
template <typename T>
T FragmentValue(std::string_view fragment, std::string_view option) {
  if (fragment.substr(0, option.size()) != option) return 0;
  return NumberOf<T>(fragment.substr(option.size()));
}

// The rate and bits that the output's name was made of: the source's own
// where they are kept (what its header said, or the last header read when it
// could not be read, as the name took it), the chosen ones otherwise.
TWavFormat NamedFormat(const TPlanOptions& options, const TWavFormat& chosen, const TWavHeaderReader& header) {
  const TArgumentFragments& fragments = options.Fragments;
  const TWavFormat source = fragments.KeepRate || fragments.KeepBits ? header.LastFormat() : TWavFormat{};
  TWavFormat named;
  named.SampleRate = fragments.KeepRate ? source.SampleRate : chosen.SampleRate;
  named.BitsPerSample = fragments.KeepBits ? source.BitsPerSample : NumberOf<std::uint16_t>(options.BitsText);
  return named;
}

}  // namespace

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
    const platform::TFileFacts facts = files.Facts(source);
    const platform::TFileKind kind = facts.Kind;
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
    entry.Job.Chosen.SampleRate = FragmentValue<std::int32_t>(options.Fragments.FArgRate, " --rate ");
    entry.Job.Chosen.BitsPerSample = FragmentValue<std::uint16_t>(options.Fragments.FArgBits, " --bits ");
    entry.Job.Named = NamedFormat(options, entry.Job.Chosen, header);
    if (facts.Size > TWavHeaderReader::HeaderSize) entry.DataSize = facts.Size - TWavHeaderReader::HeaderSize;
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
