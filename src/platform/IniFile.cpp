#include "platform/IniFile.h"

#include <climits>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill::platform {
namespace {

constexpr std::size_t kMaxValueLength = 2047;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// A file that has no line end yet to copy gets the one profile files are
// exchanged with most: CR LF.
constexpr std::string_view kNewFileLineEnd = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Cutting in the middle of a UTF-8 sequence would leave a broken character at
// the end of the text; cut before that character instead.
std::size_t CutPosition(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = limit;
  std::size_t continuations = 0;
  while (i > 0 && continuations < 3 && (byte(i - 1) & 0xC0) == 0x80) {
    --i;
    ++continuations;
  }
  if (i == 0) return limit;
  const unsigned char lead = byte(i - 1);
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0)
    length = 2;
  else if ((lead & 0xF0) == 0xE0)
    length = 3;
  else if ((lead & 0xF8) == 0xF0)
    length = 4;
  return (length > 1 && 1 + continuations < length) ? i - 1 : limit;
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'')) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

// What a profile line can hold: one line, so anything from the first line
// break (or NUL, where C strings would end) on is dropped.
std::string_view OneLine(std::string_view text) {
  const auto end = text.find_first_of(std::string_view("\r\n\0", 3));
  return end == std::string_view::npos ? text : text.substr(0, end);
}

// A value that would not read back as itself (blanks at its ends, or enclosed
// in equal quotes) is written inside double quotes, which reading removes.
std::string EncodeValue(std::string_view value) {
  const bool blanksAtEnds = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
  if (blanksAtEnds || Unquote(value).size() != value.size()) return "\"" + std::string(value) + "\"";
  return std::string(value);
}

enum class TLineKind { Other, Section, Key };

struct TLine {
  std::string_view Text;     // without its line end
  std::string_view LineEnd;  // "\r\n", "\n", "\r" or "" for an unterminated last line
  TLineKind Kind = TLineKind::Other;
  std::string_view Name;       // section or key name, trimmed
  std::size_t ValueStart = 0;  // key lines: offset of the text after "="
  std::size_t ValueEnd = 0;    // key lines: offset of the first NUL, or the line's length
};

TLine Classify(std::string_view text, std::string_view lineEnd, bool firstLine) {
  TLine line;
  line.Text = text;
  line.LineEnd = lineEnd;
  // A line is read as C strings read it: up to its first NUL. What follows is
  // kept in the file but never shown nor used, so the two cannot differ.
  const std::string_view readable = text.substr(0, text.find('\0'));
  std::size_t offset = 0;
  if (firstLine && readable.substr(0, kUtf8Bom.size()) == kUtf8Bom) offset = kUtf8Bom.size();
  while (offset < readable.size() && IsBlank(readable[offset])) ++offset;
  const std::string_view rest = readable.substr(offset);
  if (rest.empty() || rest.front() == ';') return line;
  if (rest.front() == '[') {
    const auto close = rest.rfind(']');
    if (close != std::string_view::npos) {
      line.Kind = TLineKind::Section;
      line.Name = Trim(rest.substr(1, close - 1));
    }
    return line;
  }
  const auto equals = rest.find('=');
  if (equals == std::string_view::npos) return line;
  line.Kind = TLineKind::Key;
  line.Name = Trim(rest.substr(0, equals));
  line.ValueStart = offset + equals + 1;
  line.ValueEnd = readable.size();
  return line;
}

std::vector<TLine> SplitLines(std::string_view content) {
  std::vector<TLine> lines;
  std::size_t pos = 0;
  while (pos < content.size()) {
    const auto end = content.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back(Classify(content.substr(pos), {}, lines.empty()));
      break;
    }
    const std::size_t endLength =
        (content[end] == '\r' && end + 1 < content.size() && content[end + 1] == '\n') ? 2 : 1;
    lines.push_back(Classify(content.substr(pos, end - pos), content.substr(end, endLength), lines.empty()));
    pos = end + endLength;
  }
  return lines;
}

// Where a key sits: the first line that holds it in any section of that name
// (duplicate sections are searched in file order, the first hit wins).
std::optional<std::size_t> FindKey(const std::vector<TLine>& lines, std::string_view section, std::string_view key) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TLine& line = lines[i];
    if (line.Kind == TLineKind::Section) {
      inSection = SameName(line.Name, section);
    } else if (inSection && line.Kind == TLineKind::Key && SameName(line.Name, key)) {
      return i;
    }
  }
  return std::nullopt;
}

std::string FullPath(const std::string& fileName) {
  std::error_code ignored;
  const auto absolute = std::filesystem::absolute(fileName, ignored);
  return absolute.empty() ? fileName : absolute.lexically_normal().string();
}

}  // namespace

struct TIniFile::TContent {
  enum class TState { Missing, Read, Unreadable };
  TState State = TState::Missing;
  std::string Text;          // the file as read, with the buffered changes applied
  std::vector<TLine> Lines;  // views into `Text`
  bool Changed = false;      // `Text` holds changes that are not on disk yet

  void Split() { Lines = SplitLines(Text); }
};

bool TryParseProfileInteger(const std::string& text, long& value) {
  auto digitValue = [](char c, int base) -> int {
    int d = -1;
    if (c >= '0' && c <= '9')
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    return d < base ? d : -1;
  };
  std::string_view rest = text;
  bool negative = false;
  int base = 10;
  if (rest.size() >= 3 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
    base = 16;
    rest.remove_prefix(2);
  } else {
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
      negative = rest.front() == '-';
      rest.remove_prefix(1);
    }
    if (!rest.empty() && rest.front() == '$') {
      base = 16;
      rest.remove_prefix(1);
    }
  }
  if (rest.empty()) return false;
  // Stored numbers are 32-bit, whatever `long` is here; larger ones are no number.
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  std::int64_t magnitude = 0;
  for (char c : rest) {
    const int d = digitValue(c, base);
    if (d < 0) return false;
    magnitude = magnitude * base + d;
    if (magnitude > limit) return false;
  }
  value = static_cast<long>(negative ? -magnitude : magnitude);
  return true;
}

TIniFile::TIniFile(std::string fileName)
    : FFileName(std::move(fileName)), FUncaughtAtStart(std::uncaught_exceptions()) {}

TIniFile::~TIniFile() {
  if (!FContent || !FContent->Changed || std::uncaught_exceptions() > FUncaughtAtStart) return;
  try {
    UpdateFile();
  } catch (...) {
    // A destructor must not throw; callers who need to know call UpdateFile.
  }
}

TIniFile::TContent& TIniFile::Content() const {
  if (FContent) return *FContent;
  auto content = std::make_unique<TContent>();
  try {
    if (std::optional<std::string> text = ReadWholeFile(FFileName)) {
      content->Text = std::move(*text);
      content->State = TContent::TState::Read;
    }
  } catch (const ESystemError&) {
    content->State = TContent::TState::Unreadable;
  }
  content->Split();
  FContent = std::move(content);
  return *FContent;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  // An unreadable file reads like a missing one: its copy is empty.
  const TContent& content = Content();
  const auto found = FindKey(content.Lines, Trim(section), Trim(key));
  if (!found) return defaultValue;
  const TLine& line = content.Lines[*found];
  const std::string_view value = Unquote(Trim(line.Text.substr(line.ValueStart, line.ValueEnd - line.ValueStart)));
  return std::string(value.substr(0, CutPosition(value, kMaxValueLength)));
}

long TIniFile::ReadInteger(const std::string& section, const std::string& key, long defaultValue) const {
  long value = 0;
  return TryParseProfileInteger(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  const std::string_view sectionName = Trim(OneLine(section));
  const std::string_view keyName = Trim(OneLine(key));
  // Such a key could never be read back as itself: it would read as another
  // key, a section or a comment.
  if (keyName.empty() || keyName.find('=') != std::string_view::npos || keyName.front() == '[' ||
      keyName.front() == ';') {
    throw std::invalid_argument("Ungültiger Schlüssel für " + FFileName + ": " + std::string(keyName));
  }
  const std::string entry = std::string(keyName) + "=" + EncodeValue(OneLine(value));

  TContent& current = Content();
  // Rewriting a file we cannot read would throw its other entries away.
  if (current.State == TContent::TState::Unreadable) throw EIniFileError(FullPath(FFileName));
  const std::string_view content = current.Text;
  const std::vector<TLine>& lines = current.Lines;

  std::string_view lineEnd = kNewFileLineEnd;
  for (const TLine& line : lines) {
    if (!line.LineEnd.empty()) {
      lineEnd = line.LineEnd;
      break;
    }
  }

  // Each line is copied as it was, except the one changed and the point where
  // new lines go in.
  std::string result;
  result.reserve(content.size() + entry.size() + sectionName.size() + 8);
  auto appendLine = [&](const TLine& line) {
    result.append(line.Text);
    // The old last line may lack a line end; it needs one before anything follows.
    result.append(line.LineEnd.empty() ? lineEnd : line.LineEnd);
  };

  if (const auto found = FindKey(lines, sectionName, keyName)) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i == *found) {
        result.append(lines[i].Text.substr(0, lines[i].ValueStart));
        result.append(EncodeValue(OneLine(value)));
        result.append(lines[i].LineEnd);
      } else {
        result.append(lines[i].Text);
        result.append(lines[i].LineEnd);
      }
    }
  } else {
    // The new key goes right after the last key of the first section of that
    // name, so blank lines and comments that close the section stay below it.
    std::optional<std::size_t> insertAfter;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].Kind == TLineKind::Section) {
        if (inSection) break;
        inSection = SameName(lines[i].Name, sectionName);
        if (inSection) insertAfter = i;
      } else if (inSection && lines[i].Kind == TLineKind::Key) {
        insertAfter = i;
      }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const bool last = i + 1 == lines.size();
      const bool followed = insertAfter == i || (last && !insertAfter);
      if (followed) {
        appendLine(lines[i]);
      } else {
        result.append(lines[i].Text);
        result.append(lines[i].LineEnd);
      }
      if (insertAfter == i) {
        result.append(entry);
        result.append(lineEnd);
      }
    }
    if (!insertAfter) {
      // A blank line sets a new section apart from what went before.
      if (!lines.empty() && !Trim(lines.back().Text).empty()) result.append(lineEnd);
      result.append("[").append(sectionName).append("]").append(lineEnd);
      result.append(entry).append(lineEnd);
    }
  }

  // A missing file is created even by a write that leaves it empty of change.
  if (current.State == TContent::TState::Read && result == content) return;
  current.Text = std::move(result);
  current.State = TContent::TState::Read;
  current.Changed = true;
  current.Split();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, long value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::UpdateFile() {
  if (!FContent || !FContent->Changed) return;
  try {
    WriteFileAtomically(FFileName, FContent->Text);
  } catch (const ESystemError&) {
    throw EIniFileError(FullPath(FFileName));
  }
  FContent->Changed = false;
}

}  // namespace ratemill::platform
