#include <signal.h>

#include <cstdlib>

#include "EndBySignal.h"

namespace ratemill::test {

void EndBySignal(int signal) {
  ::signal(signal, SIG_DFL);
  ::raise(signal);
  // Only a signal whose default action is not to end gets here.
  std::_Exit(128 + signal);
}

}  // namespace ratemill::test
