#pragma once

#include <memory>
#include <string>

namespace ratemill::platform {

// A profile (INI) file, opened on a path for the length of one operation.
//
// The file is read from disk once, at the first read or write of the object,
// and every later read looks into that copy: a large file costs one read per
// operation, not one per key. Writes change the copy only; the changes reach
// the disk together, in one atomic replacement, when `UpdateFile` is called or
// the object is released, so the file on disk is always either the old one or
// the new one. Releasing the object while an exception unwinds the stack
// throws the changes away, as they belong to an operation that did not finish;
// releasing swallows a failed write, so a caller who must know calls
// `UpdateFile` first.
//
// Reading: sections and keys match without regard to letter case; a value is
// the rest of its line after the first "=" up to the first NUL (the rest of
// the line is ignored, as if the line ended there), without surrounding blanks and
// without one pair of enclosing equal quotes (' or "), cut to 2047 characters.
// A missing file, section or key gives the caller's default; a key with nothing
// after "=" gives an empty text. Reading never fails.
//
// Writing: replaces a value in place, adds a missing key at the end of its
// section, a missing section at the end of the file, and creates a missing
// file; every other line stays byte for byte. The changes reach the disk
// through a temporary file renamed over the old one, so a failed write leaves
// the previous file whole; temporary files that an earlier, interrupted write
// left beside the file are removed then. A failed write throws
// `EIniFileError` with "In <full path> kann nicht geschrieben werden": from
// `UpdateFile`, or from the write itself when the file is there but cannot be
// read (rewriting it would throw its other entries away).
//
// Details of writing: new lines take the line end of the file's first line
// (CR LF for a new file or one without any); a last line that lacks its line
// end gets one only when something is added after it. A new key goes right
// after the last key line of the first section of that name, so blank lines
// and comments closing the section stay below it; a new section is set apart
// by a blank line. Section, key and value are one line each: anything from a
// CR, LF or NUL on is not written. A value with blanks at its ends or enclosed
// in equal quotes is written inside double quotes so that it reads back as
// itself. A key that could not be read back as itself (empty, holding "=", or
// starting with "[" or ";") is refused with `std::invalid_argument`. A write
// that changes nothing leaves the file alone. Names match without regard to
// case for ASCII letters only.
class TIniFile {
 public:
  explicit TIniFile(std::string fileName);
  ~TIniFile();
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const std::string& FileName() const { return FFileName; }

  std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
  // Whole numbers: "0x"/"0X" followed by hex digits (at least three characters
  // in all), or a signed decimal number where a leading "$" marks hex. Anything
  // else, an empty value included, gives the default.
  long ReadInteger(const std::string& section, const std::string& key, long defaultValue) const;
  // A flag is a whole number; anything but 0 is on.
  bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, long value);
  void WriteBool(const std::string& section, const std::string& key, bool value);

  // Writes the buffered changes to disk, if there are any. Throws
  // `EIniFileError` when that fails; the changes then stay buffered.
  void UpdateFile();

 private:
  struct TContent;

  // Reads the file once; later calls return the copy already read.
  TContent& Content() const;

  std::string FFileName;
  mutable std::unique_ptr<TContent> FContent;
  // How many exceptions were in flight when the object was made, so that the
  // release can tell an unwinding stack from a normal end.
  int FUncaughtAtStart;
};

// Parses a stored whole number by the rules of `ReadInteger`.
bool TryParseProfileInteger(const std::string& text, long& value);

}  // namespace ratemill::platform
