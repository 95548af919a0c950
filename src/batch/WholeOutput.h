#pragma once

#include <cstdint>
#include <string>

namespace ratemill {

// The hidden file beside `output` that a converter writes before the result
// is known: ".<output name>.ratemill-part-<process id>-<number>". The name
// says whose it is, so a later run can clear what a crashed one left.
std::string TempOutputName(const std::string& output, std::uint32_t processId, std::size_t number);

// True when `name` (a bare file name) is a temporary file of ours for the
// output named `outputName`, from any run.
bool IsTempOutputOf(const std::string& name, const std::string& outputName);

// True when the file at `path` is a regular file that begins with a readable
// RIFF/WAVE header: what a converter that did its work leaves behind.
bool HasWavHeader(const std::string& path);

}  // namespace ratemill
