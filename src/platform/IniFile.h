#pragma once

#include <string>

namespace ratemill::platform {

// A profile (INI) file, opened on a path for the length of one operation.
//
// Reading: sections and keys match without regard to letter case; a value is
// the rest of its line after the first "=", without surrounding blanks and
// without one pair of enclosing equal quotes (' or "), cut to 2047 characters.
// A missing file, section or key gives the caller's default; a key with nothing
// after "=" gives an empty text. Reading never fails.
//
// Writing: replaces a value in place, adds a missing key at the end of its
// section, a missing section at the end of the file, and creates a missing
// file; every other line stays byte for byte. Each write reaches the disk
// before it returns, through a temporary file renamed over the old one, so a
// failed write leaves the previous file whole. A failed write throws
// `EIniFileError` with "In <full path> kann nicht geschrieben werden".
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

  // Writes are not buffered, so there is nothing left to flush; kept so that
  // callers say where their changes must be on disk.
  void UpdateFile();

 private:
  std::string FFileName;
};

// Parses a stored whole number by the rules of `ReadInteger`.
bool TryParseProfileInteger(const std::string& text, long& value);

}  // namespace ratemill::platform
