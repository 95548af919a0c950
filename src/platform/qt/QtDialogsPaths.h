#pragma once

#include <QString>
#include <optional>
#include <string>

namespace ratemill::platform {

// The toolkit's dialogs give paths back as text, and a name whose bytes are
// no UTF-8 comes back with U+FFFD in their place: encoding that text again
// names another file, or none. This maps such a path back to the bytes on
// disk, one folder level at a time, by the one entry of each folder whose
// rendering is the text the dialog gave.
struct TDialogPath {
  std::optional<std::string> Path;  // the bytes on disk
  std::string Problem;              // why there are none, for an error box
};

// `mayBeNew`: the last part of the path need not exist (a name to create).
TDialogPath ResolveDialogPath(const QString& chosen, bool mayBeNew);

}  // namespace ratemill::platform
