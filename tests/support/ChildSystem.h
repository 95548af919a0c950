#pragma once

#include <cstddef>
#include <string>

// What the scripted child program (ChildProgram.cpp) needs from the system,
// one implementation per platform, so that its script means the same
// everywhere.
namespace ratemill::test::child {

enum class TStream { Output, Error };

// Writes all of `data`; a failed write ends the child with exit code 3.
void WriteAll(TStream stream, const char* data, std::size_t size);

// Blocks until the test releases the gate named `gate` (see ChildGate.h);
// ends the child with exit code 4 when the gate cannot be opened.
void WaitOnGate(const std::string& gate);

// Leaves a grandchild behind that holds our standard output and error, waits
// on `gate`, writes "late\n" and ends. Ends the child with exit code 5 when
// it cannot be started.
void LeaveGrandchild(const std::string& gate);

// The working folder as the system names it.
std::string CurrentFolder();

// The scheduling priority as the system expresses it: the nice value on
// POSIX, the priority class on Windows.
std::string Priority();

// The open descriptors or handles besides the standard ones that the child
// can see, separated by blanks; "?" where the system gives a program no such
// list (Windows).
std::string InheritedHandles();

// Up to 32 bytes read from the start of the file open as `handle` (a
// descriptor or handle value in decimal); empty when it is no open file.
std::string ReadInherited(const std::string& handle);

}  // namespace ratemill::test::child
