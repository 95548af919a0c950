// Profile files on every system: the reading rules, the writing rules and
// one read and one write per operation. IniFilePosixTest.cpp adds what only
// POSIX can show (modes, links, file-size limits, killed writers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/Errors.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"

namespace ratemill::platform {
namespace {

using test::ReadFile;
using test::TTempDir;
using test::WriteFile;

const std::string kDefault = "<default>";

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  return names;
}

// --- Reading -------------------------------------------------------------

struct TReadCase {
  const char* Section;
  const char* Key;
  std::string Expected;
};

TEST(IniFileRead, OddFileReadsByTheProfileRules) {
  const TIniFile ini(RATEMILL_PLATFORM_TEST_DATA "odd.ini");
  const TReadCase cases[] = {
      {"Einstellungen", "Samplerate", "3"},          // section behind a BOM; first of duplicate sections wins
      {"EINSTELLUNGEN", "samplerate", "3"},          // names ignore letter case
      {"Einstellungen", "Bits", "0x2"},              // blanks before the key and around the value
      {"Einstellungen", "Abschwaecher", "-1.5"},     // tabs count as blanks
      {"Einstellungen", "Zielpfad", "/tmp/out"},     // key only in the second, duplicate section
      {"main window", "GroupFiles", "  Dateien  "},  // blanks inside quotes stay
      {"Main Window", "Quoted", "single"},           // single quotes removed too
      {"Main Window", "Mixed", "\"ab'"},             // quotes that do not pair stay
      {"Main Window", "Lonely", "\""},               // one quote is no pair
      {"Main Window", "Equals", "a=b=c"},            // the first "=" splits
      {"Main Window", "Empty", ""},                  // present but empty is not the default
      {"Main Window", "Blank", ""},
      {"Main Window", "Dup", "first"},         // the first of duplicate keys wins
      {"Main Window", "Commented", kDefault},  // a comment line is no key
      {"Main Window", "Nul", "a"},             // a value ends at its first NUL
      {"Main Window", "Zielpfad", kDefault},   // a key of another section
      {"binary \xff\xfe", "Unix", "lf"},       // LF lines, junk in names
      {"binary \xff\xfe", "Mac", "cr"},        // CR alone ends a line too
      {"binary \xff\xfe", "After", "mac"},
      {"binary \xff\xfe", "Last", "no line end"},
      {"Missing", "Samplerate", kDefault},
      {"Einstellungen", "Missing", kDefault},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, kDefault), c.Expected) << c.Section << " / " << c.Key;
  }
}

TEST(IniFileRead, MissingOrUnreadableFileGivesTheDefault) {
  TTempDir dir;
  std::filesystem::create_directory(dir / "folder");
  WriteFile(dir / "plain", "not a folder");
  for (const std::string& path : {dir / "missing.ini", dir / "folder", dir / "plain/below.ini", std::string()}) {
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("s", "k", kDefault), kDefault) << path;
    EXPECT_EQ(ini.ReadInteger("s", "k", 42), 42) << path;
  }
}

TEST(IniFileRead, LongValuesAreCutAt2047Characters) {
  TTempDir dir;
  const std::string longText(5000, 'x');
  // A two-byte character straddling the limit is dropped whole, not halved.
  const std::string straddling = std::string(2046, 'a') + "\xC3\xA4" + "tail";
  WriteFile(dir / "long.ini", "[s]\nplain=" + longText + "\nquoted=\"" + longText + "\"\nutf8=" + straddling + "\n");
  const TIniFile ini(dir / "long.ini");
  EXPECT_EQ(ini.ReadString("s", "plain", ""), std::string(2047, 'x'));
  EXPECT_EQ(ini.ReadString("s", "quoted", ""), std::string(2047, 'x'));
  EXPECT_EQ(ini.ReadString("s", "utf8", ""), std::string(2046, 'a'));
}

TEST(IniFileRead, BinaryJunkDoesNotStopReading) {
  TTempDir dir;
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk.push_back(static_cast<char>((i * 37) % 256));
  WriteFile(dir / "junk.ini", junk + "\n[s]\nk=found\n" + junk);
  EXPECT_EQ(TIniFile(dir / "junk.ini").ReadString("s", "k", kDefault), "found");
}

// --- Whole numbers and flags ----------------------------------------------

struct TIntegerCase {
  const char* Stored;  // the text after "=" in the file
  long Expected;       // 99 is the default
};

TEST(IniFileRead, WholeNumberConventions) {
  const TIntegerCase cases[] = {
      {"0x2", 2},
      {"0X1f", 31},
      {"$3", 3},
      {"-$10", -16},
      {"+7", 7},
      {"-1", -1},
      {" 12 ", 12},
      {"\"5\"", 5},
      {"0x", 99},
      {"0x-1", 99},
      {"0xg", 99},
      {"$", 99},
      {"-", 99},
      {"", 99},
      {"abc", 99},
      {"12abc", 99},
      {"1 2", 99},
      {"1.5", 99},
      {"2147483647", 2147483647L},
      {"-2147483648", -2147483648L},
      {"2147483648", 99},
      {"-2147483649", 99},
      {"0x7FFFFFFF", 2147483647L},
      {"0x80000000", 99},
      {"99999999999999999999", 99},
  };
  TTempDir dir;
  for (const auto& c : cases) {
    WriteFile(dir / "n.ini", std::string("[s]\r\nk=") + c.Stored + "\r\n");
    EXPECT_EQ(TIniFile(dir / "n.ini").ReadInteger("s", "k", 99), c.Expected) << '"' << c.Stored << '"';
  }
}

TEST(IniFileRead, FlagsAreWholeNumbers) {
  struct TCase {
    const char* Line;  // nullptr: the key is missing
    bool Default;
    bool Expected;
  };
  const TCase cases[] = {
      {nullptr, true, true}, {nullptr, false, false}, {"k=0", true, false},  {"k=1", false, true},
      {"k=2", false, true},  {"k=-1", false, true},   {"k=abc", true, true}, {"k=abc", false, false},
      {"k=", true, true},    {"k=0x0", true, false},
  };
  TTempDir dir;
  for (const auto& c : cases) {
    WriteFile(dir / "b.ini", std::string("[s]\n") + (c.Line ? c.Line : "other=0") + "\n");
    EXPECT_EQ(TIniFile(dir / "b.ini").ReadBool("s", "k", c.Default), c.Expected)
        << (c.Line ? c.Line : "(missing)") << " default " << c.Default;
  }
}

TEST(IniFileWrite, NumbersAndFlagsAreWrittenAsDecimal) {
  TTempDir dir;
  TIniFile ini(dir / "w.ini");
  ini.WriteInteger("s", "neg", -1);
  ini.WriteInteger("s", "big", 192000);
  ini.WriteBool("s", "on", true);
  ini.WriteBool("s", "off", false);
  ini.UpdateFile();
  EXPECT_EQ(ReadFile(dir / "w.ini"), "[s]\r\nneg=-1\r\nbig=192000\r\non=1\r\noff=0\r\n");
}

// --- Writing ---------------------------------------------------------------

struct TWriteCase {
  const char* Name;
  std::string Before;  // empty: no file
  const char* Section;
  const char* Key;
  std::string Value;
  std::string After;
};

TEST(IniFileWrite, ChangesOnlyWhatItMust) {
  const std::string bom = "\xEF\xBB\xBF";
  const TWriteCase cases[] = {
      {"replace in place", "[a]\r\nk=1\r\nx=2\r\n", "a", "k", "9", "[a]\r\nk=9\r\nx=2\r\n"},
      {"replace keeps indent and spelling", "[A]\n  Key = old \n", "a", "KEY", "new", "[A]\n  Key =new\n"},
      {"replace in first duplicate", "[a]\nk=1\n[a]\nk=2\n", "a", "k", "3", "[a]\nk=3\n[a]\nk=2\n"},
      {"replace in duplicate section that has it", "[a]\nx=1\n[A]\nk=2\n", "a", "k", "3", "[a]\nx=1\n[A]\nk=3\n"},
      {"add after last key, blank and comment stay below", "[a]\nk=1\n\n; end of a\n[b]\nz=1\n", "a", "n", "2",
       "[a]\nk=1\nn=2\n\n; end of a\n[b]\nz=1\n"},
      {"add to section without keys", "[a]\n[b]\n", "a", "k", "v", "[a]\nk=v\n[b]\n"},
      {"add to section matched without case", "[Main Window]\r\n", "main window", "GroupFiles", "x",
       "[Main Window]\r\nGroupFiles=x\r\n"},
      {"add section at end", "[a]\nk=1\n", "b", "k", "v", "[a]\nk=1\n\n[b]\nk=v\n"},
      {"add section after blank last line", "[a]\r\nk=1\r\n\r\n", "b", "k", "v", "[a]\r\nk=1\r\n\r\n[b]\r\nk=v\r\n"},
      {"last line without line end, key added", "[a]\nk=1", "a", "n", "2", "[a]\nk=1\nn=2\n"},
      {"last line without line end, section added", "[a]\r\nk=1", "b", "k", "v", "[a]\r\nk=1\r\n\r\n[b]\r\nk=v\r\n"},
      {"unterminated last line elsewhere stays as it is", "[a]\nk=1\n[b]\nz=1", "a", "n", "2",
       "[a]\nk=1\nn=2\n[b]\nz=1"},
      {"replace in unterminated last line", "[a]\nk=1", "a", "k", "2", "[a]\nk=2"},
      {"BOM kept", bom + "[a]\r\nk=1\r\n", "a", "k", "2", bom + "[a]\r\nk=2\r\n"},
      {"junk and NUL lines kept", std::string("\x01\xff\0junk\n[a]\nk=1\n", 16), "a", "k", "2",
       std::string("\x01\xff\0junk\n[a]\nk=2\n", 16)},
      {"keys before any section are not the section's", "k=0\n[a]\n", "a", "k", "1", "k=0\n[a]\nk=1\n"},
      {"empty value", "[a]\nk=1\n", "a", "k", "", "[a]\nk=\n"},
      {"value cut at a line break", "[a]\nk=1\n", "a", "k", "first\r\nevil=1", "[a]\nk=first\n"},
      {"value cut at LF", "", "a", "k", "one\ntwo", "[a]\r\nk=one\r\n"},
      {"key cut at a line break", "[a]\n", "a", "k\n[evil]", "v", "[a]\nk=v\n"},
      {"section cut at a line break", "", "a\nk=evil", "k", "v", "[a]\r\nk=v\r\n"},
      {"blanks at the ends are kept by quoting", "", "a", "k", " x ", "[a]\r\nk=\" x \"\r\n"},
      {"enclosing quotes are kept by quoting", "", "a", "k", "'q'", "[a]\r\nk=\"'q'\"\r\n"},
      {"new file uses CR LF", "", "Einstellungen", "Samplerate", "0", "[Einstellungen]\r\nSamplerate=0\r\n"},
  };
  for (const auto& c : cases) {
    TTempDir dir;
    const std::string path = dir / "t.ini";
    if (!c.Before.empty()) WriteFile(path, c.Before);
    TIniFile ini(path);
    ini.WriteString(c.Section, c.Key, c.Value);
    ini.UpdateFile();
    EXPECT_EQ(ReadFile(path), c.After) << c.Name;
  }
}

TEST(IniFileWrite, ValuesReadBackAsWritten) {
  const std::string values[] = {
      "plain",
      "",
      " leading",
      "trailing\t",
      "\"double\"",
      "'single'",
      "\"",
      "a=b",
      "; not a comment",
      "[not a section]",
      "C:\\Programme\\ssrc\\",
      "Grüße €",
      std::string(2047, 'v'),
  };
  TTempDir dir;
  TIniFile ini(dir / "r.ini");
  for (const auto& value : values) {
    ini.WriteString("s", "k", value);
    EXPECT_EQ(ini.ReadString("s", "k", kDefault), value);
    EXPECT_EQ(ini.ReadString("s", "other", kDefault), kDefault);
  }
}

TEST(IniFileWrite, LineBreakInAValueCannotAddKeysOrSections) {
  TTempDir dir;
  TIniFile ini(dir / "inject.ini");
  ini.WriteString("s", "Zielpfad", "/out\r\n[s]\r\nbenutzeHP=1");
  EXPECT_EQ(ini.ReadString("s", "Zielpfad", kDefault), "/out");
  EXPECT_EQ(ini.ReadString("s", "benutzeHP", kDefault), kDefault);
}

TEST(IniFileWrite, KeysThatCannotReadBackAreRefused) {
  TTempDir dir;
  WriteFile(dir / "k.ini", "[s]\nk=1\n");
  TIniFile ini(dir / "k.ini");
  for (const char* key : {"", "  ", "a=b", "[x]", ";x", "\nk"}) {
    EXPECT_THROW(ini.WriteString("s", key, "v"), std::invalid_argument) << '"' << key << '"';
  }
  EXPECT_EQ(ReadFile(dir / "k.ini"), "[s]\nk=1\n");
}

// These failures happen for root too, where permission bits stop nothing.
TEST(IniFileWrite, FailureNamesTheFullPathAndLeavesNothingBehind) {
  TTempDir dir;
  WriteFile(dir / "plain", "a file, not a folder");
  std::filesystem::create_directory(dir / "folder.ini");
  struct TCase {
    std::string Path;
  };
  const TCase cases[] = {{dir / "plain" + PathDelim + "settings.ini"},
                         {dir / "missing" + PathDelim + "settings.ini"},
                         {dir / "folder.ini"}};
  for (const auto& c : cases) {
    TIniFile ini(c.Path);
    try {
      ini.WriteString("s", "k", "v");
      ini.UpdateFile();
      ADD_FAILURE() << "no error for " << c.Path;
    } catch (const EIniFileError& e) {
      EXPECT_EQ(std::string(e.what()), "In " + c.Path + " kann nicht geschrieben werden");
    }
  }
  EXPECT_EQ(ReadFile(dir / "plain"), "a file, not a folder");
  EXPECT_EQ(FolderEntries(dir.Path()).size(), 2u);
}

TEST(IniFileWrite, RelativePathIsReportedInFull) {
  TTempDir dir;
  WriteFile(dir / "plain", "");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  std::string message;
  try {
    TIniFile ini(std::string("plain") + PathDelim + "x.ini");
    ini.WriteString("s", "k", "v");
    ini.UpdateFile();
  } catch (const EIniFileError& e) {
    message = e.what();
  }
  std::filesystem::current_path(previous);
  const std::string expectedPath = (std::filesystem::canonical(dir.Path()) / "plain").string() + PathDelim + "x.ini";
  EXPECT_EQ(message, "In " + expectedPath + " kann nicht geschrieben werden");
}

// --- One read and one write per operation ----------------------------------

TEST(IniFileRead, ValueEndsAtItsFirstNul) {
  const std::string nul(1, '\0');
  struct TCase {
    const char* Name;
    std::string Line;  // the whole key line in section [s]
    std::string Expected;
  };
  const TCase cases[] = {
      {"path cut", "Zielpfad=/out" + nul + "/evil.wav", "/out"},
      {"blanks before the NUL are trimmed", "Zielpfad= /out " + nul + "x", "/out"},
      {"quotes closed before the NUL", "Zielpfad=\" a \"" + nul + "junk", " a "},
      {"quote after the NUL does not pair", "Zielpfad=\"a" + nul + "\"", "\"a"},
      {"NUL right after the equals sign", "Zielpfad=" + nul + "/out", ""},
      {"NUL in the key name hides the line", "Ziel" + nul + "pfad=/out", kDefault},
  };
  for (const auto& c : cases) {
    TTempDir dir;
    WriteFile(dir / "n.ini", "[s]\r\n" + c.Line + "\r\n");
    EXPECT_EQ(TIniFile(dir / "n.ini").ReadString("s", "Zielpfad", kDefault), c.Expected) << c.Name;
  }
}

TEST(IniFileWrite, ValueWithNulIsReplacedWhole) {
  TTempDir dir;
  const std::string path = dir / "n.ini";
  WriteFile(path, std::string("[s]\nZielpfad=/out") + '\0' + "/evil\nk=1\n");
  {
    TIniFile ini(path);
    ini.WriteString("s", "Zielpfad", "/new");
  }
  EXPECT_EQ(ReadFile(path), "[s]\nZielpfad=/new\nk=1\n");
}

// Every read of one object answers from one reading of the file: a change on
// disk in between does not show, which is what makes a large file cheap.
TEST(IniFileRead, OneObjectReadsTheFileOnce) {
  TTempDir dir;
  const std::string path = dir / "once.ini";
  WriteFile(path, "[s]\na=1\nb=2\n");
  const TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("s", "a", kDefault), "1");
  WriteFile(path, "[s]\na=changed\nb=changed\n");
  EXPECT_EQ(ini.ReadString("s", "a", kDefault), "1");
  EXPECT_EQ(ini.ReadString("s", "b", kDefault), "2");
  EXPECT_EQ(TIniFile(path).ReadString("s", "b", kDefault), "changed");
}

TEST(IniFileWrite, ChangesReachTheDiskTogether) {
  TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  const std::string old = "[Einstellungen]\r\nSamplerate=2\r\nBits=1\r\n";
  WriteFile(path, old);
  {
    TIniFile ini(path);
    ini.WriteInteger("Einstellungen", "Samplerate", 3);
    ini.WriteInteger("Einstellungen", "Bits", 2);
    ini.WriteString("Einstellungen", "Zielpfad", "/out");
    EXPECT_EQ(ReadFile(path), old) << "nothing written before the update";
    EXPECT_EQ(ini.ReadString("Einstellungen", "Zielpfad", kDefault), "/out") << "the object reads its own changes";
    ini.UpdateFile();
    const std::string updated = "[Einstellungen]\r\nSamplerate=3\r\nBits=2\r\nZielpfad=/out\r\n";
    EXPECT_EQ(ReadFile(path), updated);
    ini.WriteString("Einstellungen", "Zielpfad", "/later");
    EXPECT_EQ(ReadFile(path), updated);
  }
  EXPECT_EQ(ReadFile(path), "[Einstellungen]\r\nSamplerate=3\r\nBits=2\r\nZielpfad=/later\r\n") << "release writes";
}

// An operation that ends in an exception did not finish; half of its changes
// must not be taken for the whole.
TEST(IniFileWrite, ReleaseDuringAnExceptionWritesNothing) {
  TTempDir dir;
  const std::string path = dir / "Ratemill.ini";
  const std::string old = "[Einstellungen]\r\nSamplerate=2\r\n";
  WriteFile(path, old);
  try {
    TIniFile ini(path);
    ini.WriteInteger("Einstellungen", "Samplerate", 5);
    ini.WriteString("Einstellungen", "=bad", "v");
  } catch (const std::invalid_argument&) {
  }
  EXPECT_EQ(ReadFile(path), old);
}

}  // namespace
}  // namespace ratemill::platform
