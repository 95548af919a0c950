#pragma once

class QGuiApplication;

namespace ratemill {
namespace platform {
struct TServices;
}

// The name of the program's desktop entry (without ".desktop"); also the name
// of its icon and of its AppStream metadata.
inline constexpr const char* kDesktopFileName = "org.ratemill.Ratemill";

// What the program settles with the desktop before its first window: the
// desktop entry's name (so that window managers show its icon), where the
// program's files live (`services.AppDir`, `services.DataDir`), the shipped
// language file at the first start, and the toolkit's translation. Needs
// `services.MessageBoxes`. Returns false when the program cannot start; the
// reason has been shown to the user.
bool PrepareDesktopStart(QGuiApplication& application, platform::TServices& services);

}  // namespace ratemill
