#include "frontend/FilenameEdit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "files/ExactPath.h"
#include "frontend/EventGuard.h"
#include "platform/Dialogs.h"

namespace ratemill {

TFilenameEdit::TFilenameEdit(platform::IDialogs* dialogs, QWidget* parent)
    : QWidget(parent), FDialogs(dialogs), FEdit(new QLineEdit(this)), FButton(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  layout->addWidget(FEdit, 1);
  layout->addWidget(FButton);
  FButton->setText("...");
  FButton->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(FEdit);
  connect(FButton, &QToolButton::clicked, this, Guarded([this] { Browse(); }));
}

std::string TFilenameEdit::FileName() const { return ExactPathText(*FEdit); }

void TFilenameEdit::SetFileName(const std::string& fileName) { SetExactPathText(*FEdit, fileName); }

void TFilenameEdit::SetReadOnly(bool readOnly) {
  FReadOnly = readOnly;
  FEdit->setReadOnly(readOnly);
  FButton->setEnabled(!readOnly);
}

void TFilenameEdit::Browse() {
  // The button is disabled while read-only; a direct call must not get round that.
  if (FReadOnly) return;
  if (OnBeforeDialog) OnBeforeDialog();
  if (FDialogs == nullptr) return;
  platform::TOpenFileRequest request;
  request.InitialPath = FileName();
  if (auto chosen = FDialogs->ChooseFile(request)) SetFileName(*chosen);
}

}  // namespace ratemill
