#pragma once

#include <stdexcept>
#include <string>

namespace ratemill::platform {

// Where the program's own files live. The program's folder always holds the
// executable and what was shipped with it; the data folder holds what the
// program writes: `Ratemill.ini`, `language.ini`, the `log` folder, the batch
// script and crash reports.
struct TProgramFolders {
  std::string AppDir;   // ending with `PathDelim`
  std::string DataDir;  // ending with `PathDelim`; equal to `AppDir` when portable
  bool Portable = false;
};

// The per-user data folder was needed and cannot be used. The message names
// the folder and the system's reason.
class EDataDirError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The per-user data folder: "ratemill/" under `xdgConfigHome` when that is an
// absolute path (relative values are to be ignored, as the desktop base-folder
// convention says), else under `home` + "/.config". Empty when neither gives one.
std::string PerUserDataDir(const std::string& xdgConfigHome, const std::string& home);

// Portable when a file can be created in `appDir` (a build folder, an unpacked
// archive); otherwise the per-user folder, created when missing. Throws
// `EDataDirError` when the per-user folder cannot be created or written to;
// nothing in it or on its way is changed then.
TProgramFolders DecideProgramFolders(const std::string& appDir, const std::string& xdgConfigHome,
                                     const std::string& home);

// The same with the running user's `XDG_CONFIG_HOME` and home folder.
TProgramFolders DecideProgramFolders(const std::string& appDir);

// True when a new file can be created in `folder`: the only test that also
// sees read-only mounts and access rules beyond the permission bits.
bool IsFolderWritable(const std::string& folder);

// The path of a program file shipped beside the program or added by the user
// (the converter): the program's folder first, then the data folder. Empty
// when neither has it.
std::string LocateProgramFile(const std::string& appDir, const std::string& dataDir, const std::string& name);

// The folder that `LocateProgramFile` finds `name` in, ending with
// `PathDelim`; `appDir` when neither has it, so that a later failure names the
// program's folder as before.
std::string ProgramFileFolder(const std::string& appDir, const std::string& dataDir, const std::string& name);

}  // namespace ratemill::platform
