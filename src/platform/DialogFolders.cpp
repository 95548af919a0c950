#include "platform/DialogFolders.h"

namespace ratemill::platform {

std::string DialogStartFolder(const std::string& requested, const std::string& lastChosen,
                              const std::string& musicFolder) {
  if (!requested.empty()) return requested;
  if (!lastChosen.empty()) return lastChosen;
  return musicFolder;
}

}  // namespace ratemill::platform
