#pragma once

namespace ratemill {

// What the About window names and links to, in one place. The missing-converter
// message at start-up offers the same converter address.
//
// The project has no public home page or mail address of its own yet: the
// maker's page and the bug-report address are placeholders under the reserved
// example domain, to be replaced once the project has them.
inline constexpr char kMakerName[] = "The Ratemill developers";
inline constexpr char kMakerAddress[] = "https://ratemill.example.org/";
inline constexpr char kMailAddress[] = "bugs@ratemill.example.org";
inline constexpr char kConverterAddress[] = "https://shibatch.sourceforge.net/";
inline constexpr char kLibraryAddress[] = "https://www.qt.io/";

}  // namespace ratemill
