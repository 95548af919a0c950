#pragma once

#include <cstddef>
#include <string>

namespace ratemill::platform {

// The delimiter between folders of a path: '/' on POSIX, '\\' on Windows.
extern const char PathDelim;

bool FileExists(const std::string& path);       // a file, not a folder
bool DirectoryExists(const std::string& path);  // a folder
// Creates the folder with all missing parents; false when it could not.
bool ForceDirectories(const std::string& path);

// Reads up to `count` bytes from the start of the file into `buffer` and
// returns how many were read; 0 when the file cannot be opened.
std::size_t ReadFileHead(const std::string& path, void* buffer, std::size_t count);

// Replaces the file's content whole: written beside it and renamed over it.
// Throws `ESystemError` on failure; the old file then stays as it was.
void WriteFileAtomically(const std::string& path, const std::string& content);

// Path helpers on `PathDelim`.
std::string ExtractFilePath(const std::string& path);  // folder with its trailing delimiter, or ""
std::string ExtractFileName(const std::string& path);  // everything after the last delimiter
std::string IncludeTrailingPathDelimiter(const std::string& path);

}  // namespace ratemill::platform
