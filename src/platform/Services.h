#pragma once

#include <string>

#include "platform/Dialogs.h"
#include "platform/MainThreadQueue.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"

namespace ratemill::platform {

// The platform services a window needs, handed in at creation so that tests
// can script the user's answers and run the program from any folder.
struct TServices {
  IMessageBoxes* MessageBoxes = nullptr;
  IDialogs* Dialogs = nullptr;
  IShell* Shell = nullptr;
  IMainThreadQueue* Queue = nullptr;
  std::string AppDir;  // the program's folder, ending with `PathDelim`
  // Where the program writes its settings, language file, log folder, batch
  // script and crash reports: the program's folder when that is writable,
  // else the per-user folder (see platform/ProgramFolders.h).
  std::string DataDir;
  std::string AppFileName;  // the program's executable
};

}  // namespace ratemill::platform
