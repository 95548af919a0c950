#pragma once

#include <QWidget>
#include <functional>
#include <string>

class QLineEdit;
class QToolButton;

namespace ratemill {

namespace platform {
class IDialogs;
}

// A one-line file-name edit with a browse button. While read-only it takes
// neither typing nor the browse button. A name given to it (from the settings
// or the dialog) is kept as its exact bytes and only shown as text; once the
// user types, the typed text is the name.
class TFilenameEdit : public QWidget {
  Q_OBJECT

 public:
  TFilenameEdit(platform::IDialogs* dialogs, QWidget* parent = nullptr);

  std::string FileName() const;
  void SetFileName(const std::string& fileName);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool readOnly);

  // Runs when the browse button is pressed, before the dialog opens.
  std::function<void()> OnBeforeDialog;

  // What pressing the browse button does.
  void Browse();

  QLineEdit* Edit() const { return FEdit; }
  QToolButton* BrowseButton() const { return FButton; }

 private:
  platform::IDialogs* FDialogs;
  QLineEdit* FEdit;
  QToolButton* FButton;
  bool FReadOnly = false;
};

}  // namespace ratemill
