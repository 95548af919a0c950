#include "platform/ProgramFolders.h"

#include <filesystem>
#include <system_error>

#include "platform/FileSystem.h"

namespace ratemill::platform {

std::string PerUserDataDir(const std::string& xdgConfigHome, const std::string& home) {
  if (!xdgConfigHome.empty() && xdgConfigHome.front() == PathDelim) {
    return IncludeTrailingPathDelimiter(xdgConfigHome) + "ratemill" + PathDelim;
  }
  if (home.empty()) return {};
  return IncludeTrailingPathDelimiter(home) + ".config" + PathDelim + "ratemill" + PathDelim;
}

TProgramFolders DecideProgramFolders(const std::string& appDir, const std::string& xdgConfigHome,
                                     const std::string& home) {
  TProgramFolders folders;
  folders.AppDir = IncludeTrailingPathDelimiter(appDir);
  if (IsFolderWritable(folders.AppDir)) {
    folders.DataDir = folders.AppDir;
    folders.Portable = true;
    return folders;
  }

  folders.DataDir = PerUserDataDir(xdgConfigHome, home);
  if (folders.DataDir.empty()) {
    throw EDataDirError(
        "Der Ordner für Einstellungen kann nicht bestimmt werden: weder XDG_CONFIG_HOME noch HOME ist gesetzt.");
  }
  // `create_directories` leaves existing folders and files alone and stops at
  // the first part that is in the way, so a failure here changes nothing.
  std::error_code error;
  std::filesystem::create_directories(folders.DataDir, error);
  if (error || !DirectoryExists(folders.DataDir)) {
    const std::string reason = error ? error.message() : "kein Ordner";
    throw EDataDirError("Der Ordner für Einstellungen " + folders.DataDir + " kann nicht angelegt werden: " + reason);
  }
  if (!IsFolderWritable(folders.DataDir)) {
    throw EDataDirError("In den Ordner für Einstellungen " + folders.DataDir + " kann nicht geschrieben werden.");
  }
  return folders;
}

std::string LocateProgramFile(const std::string& appDir, const std::string& dataDir, const std::string& name) {
  if (FileExists(appDir + name)) return appDir + name;
  if (!dataDir.empty() && dataDir != appDir && FileExists(dataDir + name)) return dataDir + name;
  return {};
}

std::string ProgramFileFolder(const std::string& appDir, const std::string& dataDir, const std::string& name) {
  const std::string path = LocateProgramFile(appDir, dataDir, name);
  return path.empty() ? appDir : ExtractFilePath(path);
}

}  // namespace ratemill::platform
