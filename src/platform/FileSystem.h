#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ratemill::platform {

// The delimiter between folders of a path: '/' on POSIX, '\\' on Windows.
extern const char PathDelim;
// Every character that ends a folder's name in a path: PathDelim, and on
// Windows also '/', which the system and Qt's dialogs use there as well.
extern const char PathDelimiters[];

// The local path that the decoded path of a "file:" URI names: the same on
// POSIX; on Windows a path that starts with a drive ("/C:/a/b.wav") is that
// drive's path in the system's spelling ("C:\\a\\b.wav").
std::string LocalPathOfFileUriPath(const std::string& uriPath);

bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);  // a folder
// Creates the folder with all missing parents; false when it could not.
bool ForceDirectories(const std::string& path);

// Why `ReadFileHead` read nothing.
enum class THeadReadFault {
  None,            // the file was read (perhaps fewer bytes than asked: it ends there)
  CannotOpen,      // missing, no permission, or a read error
  NotRegularFile,  // a folder, FIFO, socket or device
};

// Reads up to `count` bytes from the start of the file into `buffer` and
// returns how many were read; 0 when the file cannot be opened or is not a
// regular file, with the reason in `fault` when one is given. Never blocks on
// a special file: it is opened without waiting for a writer and refused
// before anything is read from it.
std::size_t ReadFileHead(const std::string& path, void* buffer, std::size_t count, THeadReadFault* fault = nullptr);

// The whole content of the file; `std::nullopt` when there is no such file.
// Throws `ESystemError` when the file is there but cannot be read, so that a
// caller about to rewrite it never mistakes an unreadable file for an empty one.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's content whole: written beside it and renamed over it.
// Throws `ESystemError` on failure; the old file then stays as it was. The
// content is on disk before this returns; a replaced file keeps its permission
// bits, a new one gets the usual ones for new files; a symbolic link is
// followed, so the file it points to is replaced and the link stays. After a
// write went through, the temporary files that earlier writes to the same
// file left behind when their process died are removed.
void WriteFileAtomically(const std::string& path, const std::string& content);

// What a path names, symbolic links followed. Asking never opens the file,
// so a FIFO or a device is named without blocking on it.
enum class TFileKind { fkMissing, fkRegular, fkFolder, fkFifo, fkDevice, fkSocket, fkOther };
TFileKind FileKind(const std::string& path);

// What a path names and, for a regular file, its size in bytes (0 for any
// other kind), learned in one look that never opens the file.
struct TFileFacts {
  TFileKind Kind = TFileKind::fkMissing;
  std::uint64_t Size = 0;
};
TFileFacts FileFacts(const std::string& path);

// Puts `from` in the place of `to` in one step: whoever looks sees the old
// file or the new one, never a part. Both must be on one file system. Throws
// `ESystemError` on failure, and then both are as they were.
void RenameFile(const std::string& from, const std::string& to);

// Removes a file (not a folder); true when it is gone, also when it was
// never there.
bool RemoveFile(const std::string& path);

// Path helpers on `PathDelimiters`; IncludeTrailingPathDelimiter adds `PathDelim`.
std::string ExtractFilePath(const std::string& path);  // folder with its trailing delimiter, or ""
std::string ExtractFileName(const std::string& path);  // everything after the last delimiter
// An empty path stays empty: an unset folder must not turn into the root.
std::string IncludeTrailingPathDelimiter(const std::string& path);

}  // namespace ratemill::platform
