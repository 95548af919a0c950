#include "frontend/MainForm.h"

namespace ratemill {

// Filled in by the file-list work.
void TMainForm::OpenButtonClick() {}

// Filled in by the file-list work.
void TMainForm::BatchAddFilesButtonClick() {}

// Filled in by the file-list work.
void TMainForm::DeleteButtonClick() {}

// Filled in by the file-list work.
void TMainForm::FindFolderButtonClick() {}

// Filled in by the file-list work.
void TMainForm::AddDroppedPaths(const std::vector<std::string>&) {}

// Filled in by the file-list work (drag and drop onto the file list).
bool TMainForm::eventFilter(QObject* watched, QEvent* event) { return QMainWindow::eventFilter(watched, event); }

}  // namespace ratemill
