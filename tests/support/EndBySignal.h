#pragma once

namespace ratemill::test {

// Ends the calling program at once, as if killed by `signal`: on POSIX by
// that signal itself; on Windows, which has no such signals, by an abrupt
// end with the code a POSIX shell reports for it (128 + signal), so that the
// same cases hold on both.
[[noreturn]] void EndBySignal(int signal);

}  // namespace ratemill::test
