#pragma once

#include <string>

namespace ratemill::platform {

// The seven kinds of modal box the program shows. Each kind fixes its icon,
// its caption and its buttons; callers never choose them one by one.
enum class TMessageKind {
  ErrorOk,           // caption "Fehler", button "OK"
  WarningOk,         // caption "Warnung", button "OK"
  ConfirmYesCancel,  // caption "Bestätigen", buttons "&Ja", "Abbrechen"
  WarningYesNo,      // caption "Warnung", buttons "&Ja", "&Nein"
  ErrorYesNo,        // caption "Fehler", buttons "&Ja", "&Nein"
  PlainOk,           // caption: the application title, button "OK"
  ConfirmYesNo,      // caption "Bestätigen", buttons "&Ja", "&Nein"
};

// What the user did. `Closed` is the box dismissed without a button (its close
// box, Esc on a box without a cancel button, or a program that is closing).
enum class TMessageAnswer { Ok, Yes, No, Cancel, Closed };

class IMessageBoxes {
 public:
  virtual ~IMessageBoxes() = default;
  virtual TMessageAnswer Show(TMessageKind kind, const std::string& text) = 0;
};

// The caption a box of `kind` carries; `applicationTitle` for the plain box.
std::string MessageCaption(TMessageKind kind, const std::string& applicationTitle);

}  // namespace ratemill::platform
