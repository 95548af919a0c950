#pragma once

#include <QString>
#include <string>

class QLineEdit;
class QListWidgetItem;

namespace ratemill {

// A path is a string of bytes to the file system, and not every such string
// is text: a name may hold bytes that are no UTF-8 at all, or U+FFFD itself.
// What the window shows is a rendering of the bytes that may lose some of
// them; what it hands on is always the bytes it was given.

// How a path is shown: invalid bytes become U+FFFD, so two paths may look
// alike. Never turn this back into a path.
QString PathRendering(const std::string& path);

// The path a user typed: the text as the file system would spell it.
std::string TypedPath(const QString& text);

// A list entry showing the rendering of `path` and keeping its bytes.
QListWidgetItem* MakePathItem(const std::string& path);
// The bytes the entry keeps; an entry made from text alone gives the typed
// path of its text.
std::string PathOfItem(const QListWidgetItem& item);

// Shows `path` in the edit and keeps its bytes until the user changes the
// text; from then on the edit holds what the user typed.
void SetExactPathText(QLineEdit& edit, const std::string& path);
std::string ExactPathText(const QLineEdit& edit);

}  // namespace ratemill
