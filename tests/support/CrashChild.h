#pragma once

// What the crash tests' child (CrashChild.cpp) needs from the system, one
// implementation per platform.
namespace ratemill::test::crash_child {

// Keeps the crash from leaving a core file or a system dialog behind.
void SuppressCrashLeftovers();

// Where this program's image begins in memory, which the offsets in a stack
// trace count from.
const void* ImageBase();

// Stands in for a program started by a restart: writes how it was started
// (its working folder and what it inherited) to the report named by the
// environment variable RATEMILL_CRASH_CHILD_REPORT. Returns the exit code.
int ReportHowIWasStarted(int argc, char** argv);

}  // namespace ratemill::test::crash_child
