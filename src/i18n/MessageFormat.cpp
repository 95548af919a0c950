#include "i18n/MessageFormat.h"

#include <cstddef>

namespace ratemill {
namespace {

constexpr char kLineBreakMarker[] = "[[linebreak]]";
constexpr std::size_t kLineBreakMarkerLength = sizeof(kLineBreakMarker) - 1;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool MarkerAt(const std::string& text, std::size_t pos) {
  if (text.size() - pos < kLineBreakMarkerLength) return false;
  for (std::size_t i = 0; i < kLineBreakMarkerLength; ++i) {
    if (AsciiLower(text[pos + i]) != kLineBreakMarker[i]) return false;
  }
  return true;
}

}  // namespace

std::string ReplaceLineBreakMarkers(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (MarkerAt(text, pos)) {
      result += "\r\n";
      pos += kLineBreakMarkerLength;
    } else {
      result += text[pos++];
    }
  }
  return result;
}

std::string FillFirstStringPlaceholder(const std::string& text, const std::string& argument) {
  const std::size_t pos = text.find("%s");
  if (pos == std::string::npos) return text;
  return text.substr(0, pos) + argument + text.substr(pos + 2);
}

std::string FormatMissingConverterMessage(const std::string& text, const std::string& appDir) {
  return FillFirstStringPlaceholder(ReplaceLineBreakMarkers(text), appDir);
}

}  // namespace ratemill
