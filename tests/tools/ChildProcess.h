#pragma once

#include <sys/types.h>
#include <string>
#include <utility>
#include <vector>

namespace ratemill::test {

// What a finished child left behind.
struct TChildResult {
  int ExitCode = -1;  // -1 when the child ended by a signal
  std::string Out;    // all of standard output
  std::string Err;    // all of standard error
};

// A real child program with its standard output and error on pipes and its
// standard input on /dev/null. The environment is the test's own with
// `environment` entries set on top (an empty value sets the variable empty).
// A child that is still running when the object goes is killed and reaped.
class TChildProcess {
 public:
  TChildProcess(const std::vector<std::string>& argv,
                const std::vector<std::pair<std::string, std::string>>& environment = {});
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // Reads standard output until `marker` has arrived or the stream ends;
  // returns everything read so far. Blocks without a timeout.
  std::string ReadOutUntil(char marker);
  // True while the child has not ended; a child seen ending is reaped here.
  bool Running();
  void Kill();
  // Reads both streams to their end, then waits for the child.
  TChildResult Finish();

 private:
  bool ReadSome(int& fd, std::string& into);

  pid_t FPid = -1;
  int FOut = -1;
  int FErr = -1;
  bool FReaped = false;
  int FStatus = 0;
  TChildResult FResult;
};

// Runs a child to its end.
TChildResult RunChild(const std::vector<std::string>& argv,
                      const std::vector<std::pair<std::string, std::string>>& environment = {});

// The full path of `program` found on PATH, or empty.
std::string FindOnPath(const std::string& program);

}  // namespace ratemill::test
