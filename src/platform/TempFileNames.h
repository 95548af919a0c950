#pragma once

#include <cstdint>
#include <string>

namespace ratemill::platform {

// A temporary file written while a file is replaced is named
// "<prefix><writer's process id>-<counter>", so that a later writer can tell
// a leftover of a killed process from a write in progress. The prefix is the
// platform's own (hidden on POSIX, marked on Windows).
//
// The writer's process id when `name`, after its first `prefixSize` bytes,
// is exactly "<pid>-<counter>" (decimal digits, a pid of at most nine); 0
// otherwise. The caller has checked the prefix itself.
std::uint32_t TempFileWriter(const std::string& name, std::size_t prefixSize);

}  // namespace ratemill::platform
