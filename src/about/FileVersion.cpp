#include "about/FileVersion.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Errors.h"
#include "platform/FileSystem.h"

namespace ratemill {
namespace {

constexpr std::size_t kVersionParts = 4;
constexpr std::size_t kMaxDigits = 5;  // 65535
constexpr std::uint32_t kMaxPart = 0xFFFF;

using TFileVersion = std::array<std::uint16_t, kVersionParts>;

// The numbers of one stamp, `text` starting right after its marker; nothing
// when the stamp is cut short or malformed.
std::optional<TFileVersion> ParseStamp(std::string_view text) {
  TFileVersion version{};
  std::size_t pos = 0;
  for (std::size_t part = 0; part < kVersionParts; ++part) {
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
      if (++digits > kMaxDigits) return std::nullopt;
      value = value * 10 + static_cast<std::uint32_t>(text[pos] - '0');
      ++pos;
    }
    if (digits == 0 || value > kMaxPart || pos >= text.size()) return std::nullopt;
    const char separator = part + 1 < kVersionParts ? '.' : ';';
    if (text[pos] != separator) return std::nullopt;
    ++pos;
    version[part] = static_cast<std::uint16_t>(value);
  }
  return version;
}

}  // namespace

std::string GetFileVersionString(const std::string& fileName) {
  std::optional<std::string> image;
  try {
    image = platform::ReadWholeFile(fileName);
  } catch (const platform::ESystemError&) {
    return {};  // unreadable, a folder say: no version to show
  }
  if (!image) return {};

  // The reading code holds the marker too, as a bare text without numbers
  // after it; so every occurrence counts until one carries a whole stamp.
  const std::string_view content(*image);
  const std::string_view marker(kFileVersionMarker);
  for (std::size_t at = content.find(marker); at != std::string_view::npos; at = content.find(marker, at + 1)) {
    if (const auto version = ParseStamp(content.substr(at + marker.size()))) {
      std::string result;
      for (std::size_t part = 0; part < kVersionParts; ++part) {
        if (part > 0) result += '.';
        result += std::to_string((*version)[part]);
      }
      return result;
    }
  }
  return {};
}

}  // namespace ratemill
