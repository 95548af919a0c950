#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frontend/arguments/WavHeaderReader.h"

namespace ratemill {

// The hidden file beside `output` that a converter writes before the result
// is known: ".<output name>.ratemill-part-<process id>-<number>". The name
// says whose it is, so a later run can clear what a crashed one left.
std::string TempOutputName(const std::string& output, std::uint32_t processId, std::size_t number);

// True when `name` (a bare file name) is a temporary file of ours for the
// output named `outputName`, from any run.
bool IsTempOutputOf(const std::string& name, const std::string& outputName);

// The rate and bits of the WAV file at `path`, from the fmt chunk of its
// RIFF/WAVE header; empty when it is no regular file or its header cannot be
// read (cut short, no fmt chunk near the start, a rate or bits of 0). One
// read of the file's head.
std::optional<TWavFormat> ReadOutputFormat(const std::string& path);

// True when the file at `path` is a regular file that begins with a readable
// RIFF/WAVE header: what a converter that did its work leaves behind.
bool HasWavHeader(const std::string& path);

}  // namespace ratemill
