#pragma once

#include <cstdint>
#include <set>
#include <string>

// The test side of the scripted child program (ChildProgram.cpp): its gates
// and what the tests ask the system about it, one implementation per
// platform.
namespace ratemill::test {

// Blocks the scripted child at a "wait:" step until released: a FIFO on
// POSIX, a named event on Windows. `path` names a place in a temporary
// folder that the gate may use.
class TChildGate {
 public:
  explicit TChildGate(const std::string& path);
  ~TChildGate();
  TChildGate(const TChildGate&) = delete;
  TChildGate& operator=(const TChildGate&) = delete;

  // What the child's "wait:" and "grandchild:" steps take.
  const std::string& Path() const { return FPath; }
  // Lets the waiting child go on; throws when the gate cannot be opened.
  void Release() const;

 private:
  std::string FPath;
  std::intptr_t FHandle = 0;
};

// A file of ours that a child could inherit by mistake: opened without
// close-on-exec on POSIX and inheritable on Windows, holding `content`.
class TStrayFile {
 public:
  TStrayFile(const std::string& path, const std::string& content);
  ~TStrayFile();
  TStrayFile(const TStrayFile&) = delete;
  TStrayFile& operator=(const TStrayFile&) = delete;

  // The value the child's "read:" step takes.
  std::string Handle() const;

 private:
  std::intptr_t FHandle;
};

// Whether the system ends processes by signals, which the runner then reports
// apart from the exit code (POSIX); where it does not (Windows), a child
// ended "as if killed" shows the same exit code and no signal.
extern const bool kEndsBySignal;

// This process's open descriptors (POSIX) or handles (Windows).
int OpenHandles();

// True when the process has ended and nothing of it is left to collect.
bool ProcessEnded(std::uint32_t pid);

// What the child's "fds" step lists when it inherited nothing.
std::string NothingInheritedList();

// What the child's "priority" step prints after a start with the idle
// priority class.
std::string IdlePriority();

// The system's error codes for children that cannot be started; where
// systems of one kind differ (Windows and Wine), each code they give.
struct TStartFailureCodes {
  std::set<int> MissingProgram;
  std::set<int> MissingFolder;
  std::set<int> NotAProgram;  // the program names a folder
};
TStartFailureCodes StartFailureCodes();

}  // namespace ratemill::test
