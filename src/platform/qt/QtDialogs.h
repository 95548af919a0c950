#pragma once

#include "platform/Dialogs.h"

namespace ratemill::platform {

// Modal file and folder dialogs of the toolkit.
class TQtDialogs : public IDialogs {
 public:
  std::optional<std::vector<std::string>> OpenFiles(const TOpenFilesRequest& request) override;
  std::optional<std::string> BrowseFolder(const TBrowseFolderRequest& request) override;
  std::optional<std::string> ChooseFile(const TOpenFileRequest& request) override;
};

}  // namespace ratemill::platform
